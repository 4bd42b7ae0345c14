# Sourced by the scripts that need a private X display.
# quorl_start_xvfb FIRST LAST [XVFB_ARGS...]: starts Xvfb on the first free
# display number from FIRST up to LAST and sets xvfb_pid and xvfb_display;
# returns non-zero when none would start.  Another run may take the same
# number at the same moment, in which case its Xvfb exits and the next
# number is tried.
quorl_start_xvfb() {
  local n=$1 last=$2
  shift 2
  xvfb_pid=""
  xvfb_display=""
  while [ "$n" -lt "$last" ]; do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp "$@" >/dev/null 2>&1 &
      xvfb_pid=$!
      for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2>/dev/null && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
      done
      if kill -0 "$xvfb_pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
        xvfb_display=":$n"
        return 0
      fi
      xvfb_pid=""
    fi
    n=$((n + 1))
  done
  return 1
}
