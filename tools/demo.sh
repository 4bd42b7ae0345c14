#!/usr/bin/env bash
# demo.sh WIN_BUILD: a local demo installation of the launcher, run under
# Wine against the local test login server.  On a private display (no
# $DISPLAY) it waits for the launcher screen, saves a screenshot, prints
# its path and closes the launcher; on a real display it runs until the
# user leaves it.
set -euo pipefail
win=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tools/wine-env.sh"
demo="$QUORL_BUILD/demo"
native="$QUORL_BUILD/native"

rm -rf "$demo"
mkdir -p "$demo/install"
cp "$win/bin/QuorlLauncher.exe" "$win/bin/QuorlLnchr.rdl" "$demo/install/"

# The local login server that the tests use, with the demo's scenario.
fixture_pid=""
if [ -x "$native/tools/fixture/login_fixture" ]; then
  "$native/tools/fixture/login_fixture" --port 0 --scenario "$top/tools/fixture/scenarios/no_update.scn" \
      >"$demo/login.port" 2>"$demo/login.log" &
  fixture_pid=$!
  for _ in $(seq 50); do [ -s "$demo/login.port" ] && break; sleep 0.1; done
  port=$(head -n 1 "$demo/login.port" | tr -dc 0-9)
  if [ -n "$port" ]; then
    "$QUORL_WINE" reg add 'HKCU\Software\Halvane\Quorl\Login' /v Server /t REG_SZ /d "127.0.0.1:$port" /f \
        >/dev/null 2>&1 || true
    echo "demo: login server on 127.0.0.1:$port"
  fi
fi
trap '[ -z "$fixture_pid" ] || kill "$fixture_pid" 2>/dev/null || true' EXIT

if [ -z "${QUORL_XVFB:-}" ]; then
  echo "demo: starting the launcher on $DISPLAY"
  "$QUORL_WINE" "$demo/install/QuorlLauncher.exe" || true
  exit 0
fi

"$QUORL_WINE" "$demo/install/QuorlLauncher.exe" </dev/null >/dev/null 2>&1 &
launcher=$!
# Wait for the launcher screen, then let it paint.
for _ in $(seq 100); do
  if xdotool search --class "QuorlLauncher.exe" >/dev/null 2>&1 ||
     xdotool search --name '^Quorl$' >/dev/null 2>&1; then
    break
  fi
  sleep 0.2
done
sleep 2
shot="$demo/launcher.png"
import -window root "$shot"
echo "demo: screenshot of the launcher screen: $shot"
kill "$launcher" 2>/dev/null || true
