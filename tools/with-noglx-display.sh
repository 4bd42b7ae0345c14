#!/usr/bin/env bash
# with-noglx-display.sh CMD...: runs CMD on a second, private Xvfb that has
# no GLX extension (DISPLAY and QUORL_NOGLX_DISPLAY name it), and stops it
# again.  The device-check test runs there to see Direct3D fail for want of
# OpenGL; the wineserver and the prefix stay those of the caller.
set -uo pipefail
xvfb_pid=""
cleanup() { [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
# The first free display number; a race with another run makes this Xvfb
# exit, and the next number is tried.
n=200
while [ "$n" -lt 300 ]; do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -extension GLX >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2>/dev/null && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ] && break
    xvfb_pid=""
  fi
  n=$((n + 1))
done
[ -n "$xvfb_pid" ] || { echo "with-noglx-display: cannot start Xvfb" >&2; exit 1; }
export DISPLAY=":$n" QUORL_NOGLX_DISPLAY=":$n"
"$@"
