#!/usr/bin/env bash
# with-wine.sh CMD...: runs CMD with a ready Wine: the private prefix made
# once, a display (the caller's $DISPLAY, else a private Xvfb), and one
# persistent wineserver for the whole run, stopped again at the end.
# QUORL_WINEARCH (win32, the default, or win64) picks the prefix.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
. "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"

xvfb_pid=""
cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] || [ -n "${QUORL_PRIVATE_DISPLAY:-}" ]; then
  quorl_start_xvfb 90 190 || { echo "with-wine: cannot start Xvfb" >&2; exit 1; }
  export DISPLAY=$xvfb_display
  export QUORL_XVFB=1
fi

mkdir -p "$(dirname "$WINEPREFIX")"
if [ ! -f "$WINEPREFIX/.quorl-ready" ]; then
  echo "with-wine: creating the $WINEARCH Wine prefix $WINEPREFIX (once)" >&2
  # A half-made prefix from an earlier failure would make wineboot refuse
  # the architecture: start again from nothing.
  rm -rf "$WINEPREFIX"
  log="$(dirname "$WINEPREFIX")/wineboot-$WINEARCH.log"
  if ! "$QUORL_WINE" wineboot -i >"$log" 2>&1 || ! "$WINESERVER" -w || [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "with-wine: cannot create the $WINEARCH prefix with $QUORL_WINE (log: $log):" >&2
    tail -n 5 "$log" >&2 || true
    exit 1
  fi
  # Xvfb has no window manager, and Wine waits for one on every top-level
  # window it shows or hides: let Wine place its windows itself.
  "$QUORL_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 ||
    { echo "with-wine: cannot write the prefix's registry" >&2; exit 1; }
  "$WINESERVER" -w
  touch "$WINEPREFIX/.quorl-ready"
fi
"$WINESERVER" -p
# Wine starts its service processes (services, plugplay, explorer, ...) with
# the first program and keeps them for the server's lifetime.  Start them
# now, on /dev/null: otherwise they inherit the output pipe of the first test
# and ctest waits for that pipe until its time-out.
"$QUORL_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
"$@"
