#!/usr/bin/env bash
# wine-suite.sh BUILD REPORT: runs the test programs of one Windows build
# once, under a ready Wine (start it through with-wine.sh).  A failed
# program that waits on windows it does not own (ctest label window_wait:
# message boxes and dialogs answered by a watcher thread, another program's
# windows) runs once more, alone; no other program is ever retried.  REPORT
# gets a line "failed NAME" for each program that failed for good and
# "retried NAME" for each that passed only on its second run.  Exit status
# 0 when nothing failed for good.
set -uo pipefail
build=$1
report=$2
: >"$report"

# One desktop for the whole suite, as a Windows session has: Wine closes a
# desktop a second after its last program has gone and makes a new one
# (with a new explorer.exe) for the next, and a test program that starts
# in that second meets the old explorer on its way out or the new one still
# starting.  The keeper (tests/harness/desktop_keeper.cpp) stays on the
# desktop until the suite is over.
keeper="$build/harness/quorl_desktop_keeper.exe"
keeper_pid=""
stop_keeper() {
  [ -z "$keeper_pid" ] || kill "$keeper_pid" 2>/dev/null || true
}
trap stop_keeper EXIT
if [ -f "$keeper" ]; then
  ready=$(mktemp)
  "$QUORL_WINE" "$keeper" >"$ready" 2>/dev/null </dev/null &
  keeper_pid=$!
  for _ in $(seq 1 600); do
    grep -q ready "$ready" && break
    kill -0 "$keeper_pid" 2>/dev/null || break
    sleep 0.1
  done
  grep -q ready "$ready" ||
    echo "wine-suite: the desktop keeper did not come up: the test programs may each meet a new desktop" >&2
  rm -f "$ready"
else
  echo "wine-suite: no $keeper: the test programs may each meet a new desktop" >&2
fi

ctest --test-dir "$build" --output-on-failure -j "${QUORL_WINE_JOBS:-4}" && exit 0

failed=()
log="$build/Testing/Temporary/LastTestsFailed.log"
[ -f "$log" ] && mapfile -t failed < <(sed -n 's/^[0-9]*://p' "$log")
if [ ${#failed[@]} -eq 0 ]; then
  # ctest failed before any test did (no tests, a broken build folder).
  echo "failed ctest" >>"$report"
  exit 1
fi
waiting=$(ctest --test-dir "$build" -N -L '^window_wait$' | sed -n 's/^ *Test *#[0-9]*: //p')

rc=0
for t in "${failed[@]}"; do
  if grep -qxF -- "$t" <<<"$waiting"; then
    echo "== $t failed and waits on windows: it runs once more, and the failure above stays a fault to find"
    if ctest --test-dir "$build" --output-on-failure -R "^$t\$"; then
      echo "retried $t" >>"$report"
      continue
    fi
  fi
  echo "failed $t" >>"$report"
  rc=1
done
exit $rc
