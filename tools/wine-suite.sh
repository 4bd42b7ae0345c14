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
