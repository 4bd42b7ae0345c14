#!/usr/bin/env bash
# with-wine.sh CMD...: runs CMD with a ready Wine: the private prefix made
# once, a display (the caller's $DISPLAY, else a private Xvfb), and one
# persistent wineserver for the whole run, stopped again at the end.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] || [ -n "${QUORL_PRIVATE_DISPLAY:-}" ]; then
  # Pick a free display number so that parallel runs do not collide.
  n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  export QUORL_XVFB=1
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
fi

mkdir -p "$(dirname "$WINEPREFIX")"
if [ ! -f "$WINEPREFIX/.quorl-ready" ]; then
  echo "with-wine: creating the Wine prefix (once)" >&2
  wineboot -i >/dev/null 2>&1 || true
  # Xvfb has no window manager, and Wine waits for one on every top-level
  # window it shows or hides: let Wine place its windows itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.quorl-ready"
fi
wineserver -p
# Wine starts its service processes (services, plugplay, explorer, ...) with
# the first program and keeps them for the server's lifetime.  Start them
# now, on /dev/null: otherwise they inherit the output pipe of the first test
# and ctest waits for that pipe until its time-out.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
"$@"
