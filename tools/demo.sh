#!/usr/bin/env bash
# demo.sh WIN_BUILD: a local demo installation of the launcher, run under
# Wine, that performs a real update: the installed game 1.000 is updated to
# 1.001 and the (stand-in) game client is started.
#
#   - the local test login server answers the version check with one game
#     update step (tests/harness/scenarios/demo_update.scn.in);
#   - lighttpd serves the patch, throttled so that the download takes a few
#     seconds;
#   - the patch is our small patch program (tests/harness/patch_helper.cpp):
#     the script CALLs it and it writes the new version into "PL";
#   - "quorl.bin" in the game folder is our stand-in client: a window that
#     shows the command line and the portal data it got.
#
# On a private display (no $DISPLAY) the launcher starts the update at once
# (/s); the script saves screenshots of the update screen mid-download and
# of the started client and prints their paths.  On a real display the
# launcher screen comes up and the user presses Start.
set -euo pipefail
win=$(cd "$1" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/tools/wine-env.sh"
demo="$QUORL_BUILD/demo"
native="$QUORL_BUILD/native"
harness="$win/harness"

for tool in lighttpd python3; do
  command -v "$tool" >/dev/null || { echo "demo: $tool is missing (run tools/setup.sh)" >&2; exit 1; }
done
[ -x "$native/tools/fixture/login_fixture" ] || { echo "demo: the native login fixture is not built" >&2; exit 1; }

rm -rf "$demo"
mkdir -p "$demo/install" "$demo/downloads" "$demo/www"
cp "$win/bin/QuorlLauncher.exe" "$win/bin/QuorlLnchr.rdl" "$harness/quorl.bin" "$demo/install/"
winpath() { "$QUORL_WINE" winepath -w "$1" 2>/dev/null | tr -d '\r'; }

pids=()
cleanup() {
  local p
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
}
trap cleanup EXIT

# The installation: game folder, download folder, installed game 1.000 (the
# patch program itself writes "PL", as the game's installer would).
key='HKCU\Software\Halvane\Quorl'
"$QUORL_WINE" reg add "$key" /v GameFolder /t REG_SZ /d "$(winpath "$demo/install")" /f >/dev/null 2>&1
"$QUORL_WINE" reg add "$key\\Login" /v DownloadPath /t REG_SZ /d "$(winpath "$demo/downloads")" /f >/dev/null 2>&1
"$QUORL_WINE" reg delete "$key" /v PL /f >/dev/null 2>&1 || true
cp "$harness/patch.exe" "$demo/patch-1000000.exe"
QUORL_PATCH_SHOW_MS=0 "$QUORL_WINE" "$demo/patch-1000000.exe" </dev/null >/dev/null 2>&1
echo "demo: installed game version 1.000"

# The patch on the web server: our patch program under the name that makes
# it install 1.001, padded to 1 MiB (a program file may carry trailing data)
# so that the throttled download lasts a few seconds.
patch=patch-1001000.exe
cp "$harness/patch.exe" "$demo/www/$patch"
python3 - "$demo/www/$patch" <<'PY'
import os, sys
path = sys.argv[1]
pad = max(0, (1 << 20) - os.path.getsize(path))
with open(path, "ab") as f:
    f.write(bytes((i * 7 + 3) & 0xFF for i in range(pad)))
PY
read -r size crc < <(python3 - "$demo/www/$patch" <<'PY'
import os, sys, zlib
data = open(sys.argv[1], "rb").read()
print(len(data), "%08x" % zlib.crc32(data))
PY
)

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()'
}
web_port=$(free_port)
cat >"$demo/lighttpd.conf" <<CONF
server.document-root = "$demo/www"
server.bind = "127.0.0.1"
server.port = $web_port
server.errorlog = "$demo/lighttpd.err"
server.modules = ()
# About four seconds for the 1 MiB patch.
connection.kbytes-per-second = 256
CONF
lighttpd -D -f "$demo/lighttpd.conf" >"$demo/lighttpd.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do (exec 3<>"/dev/tcp/127.0.0.1/$web_port") 2>/dev/null && break; sleep 0.05; done
echo "demo: web server on 127.0.0.1:$web_port holding $patch ($size bytes, CRC-32 $crc)"

sed -e "s|@WEB@|127.0.0.1:$web_port|" -e "s|@PATCH@|$patch|g" -e "s|@SIZE@|$size|" -e "s|@CRC@|$crc|" \
    "$top/tests/harness/scenarios/demo_update.scn.in" >"$demo/update.scn"
"$native/tools/fixture/login_fixture" --port 0 --scenario "$demo/update.scn" \
    >"$demo/login.port" 2>"$demo/login.log" &
pids+=($!)
for _ in $(seq 50); do [ -s "$demo/login.port" ] && break; sleep 0.1; done
port=$(head -n 1 "$demo/login.port" | tr -dc 0-9)
[ -n "$port" ] || { echo "demo: the login server did not start" >&2; cat "$demo/login.log" >&2; exit 1; }
"$QUORL_WINE" reg add "$key\\Login" /v Server /t REG_SZ /d "127.0.0.1:$port" /f >/dev/null 2>&1
echo "demo: login server on 127.0.0.1:$port"

if [ -z "${QUORL_XVFB:-}" ]; then
  echo "demo: starting the launcher on $DISPLAY; press Start to update the game"
  "$QUORL_WINE" "$demo/install/QuorlLauncher.exe" || true
  exit 0
fi

# The web portal's part: login data on the clipboard, enciphered with the
# launch key that the launcher gets as its parameter.  Its fifth field asks
# the launcher to hand the data on to the client.
portal_key=demo-launch-key
portal_text="127.0.0.1,$port,demo-user,demo-session,play"
"$QUORL_WINE" "$demo/install/quorl.bin" --put-portal "$portal_key" "$portal_text" </dev/null >/dev/null 2>&1 ||
  echo "demo: the portal data could not be put on the clipboard" >&2

# Private display: the update starts at once; the client ends itself after
# a while so that nothing is left running.
export QUORL_CLIENT_EXIT_MS=15000
QUORL_PATCH_REPORT=$(winpath "$demo/patch-report.txt")
export QUORL_PATCH_REPORT QUORL_PATCH_SHOW_MS=1500
"$QUORL_WINE" "$demo/install/QuorlLauncher.exe" /s "$portal_key" </dev/null >/dev/null 2>&1 &
launcher=$!

# Mid-download: the patch has started arriving in the download folder.
for _ in $(seq 300); do
  s=$(stat -c %s "$demo/downloads/$patch" 2>/dev/null || echo 0)
  [ "$s" -gt 300000 ] && break
  sleep 0.1
done
sleep 0.5
shot="$demo/update-downloading.png"
import -window root "$shot"
echo "demo: screenshot of the update screen mid-download: $shot"

client=""
for _ in $(seq 300); do
  client=$(xdotool search --name 'stand-in game client' 2>/dev/null | head -n 1 || true)
  [ -n "$client" ] && break
  sleep 0.1
done
if [ -z "$client" ]; then
  echo "demo: the game client did not start" >&2
  kill "$launcher" 2>/dev/null || true
  exit 1
fi
sleep 1
shot="$demo/client-started.png"
import -window root "$shot"
echo "demo: screenshot of the started client: $shot"
wait "$launcher" 2>/dev/null || true
echo "demo: the launcher has ended; the patch program reported:"
sed 's/^/demo:   /' "$demo/patch-report.txt" 2>/dev/null || echo "demo:   (nothing)"
