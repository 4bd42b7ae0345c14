#!/usr/bin/env bash
# with-noglx-display.sh CMD...: runs CMD on a second, private Xvfb that has
# no GLX extension (DISPLAY and QUORL_NOGLX_DISPLAY name it), and stops it
# again.  The device-check test runs there to see Direct3D fail for want of
# OpenGL; the wineserver and the prefix stay those of the caller.
set -uo pipefail
xvfb_pid=""
cleanup() { [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
. "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
quorl_start_xvfb 200 300 -extension GLX || { echo "with-noglx-display: cannot start Xvfb" >&2; exit 1; }
export DISPLAY=$xvfb_display QUORL_NOGLX_DISPLAY=$xvfb_display
"$@"
