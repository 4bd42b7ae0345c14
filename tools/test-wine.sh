#!/usr/bin/env bash
# test-wine.sh WIN32_BUILD WIN64_BUILD: runs the whole test suite under Wine
# for every Windows build this machine can run (see wine-arches.sh), each in
# its own prefix with its own wineserver (wine-suite.sh: every program once;
# only the ones that wait on windows once more when they fail).  Fails when
# any suite fails.  The closing lines name every program that passed only on
# a retry and, last, say whether the i686 product build was run at all
# (also written to $QUORL_WINE_RAN_FILE when that is set).
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
declare -A dir=([win32]=$1 [win64]=$2)
declare -A build_name=([win32]="i686 product build" [win64]="x86_64 test build")
why=$(mktemp)
trap 'rm -f "$why"' EXIT
arches=$(bash "$top/tools/wine-arches.sh" 2>"$why") || {
  cat "$why" >&2
  exit 1
}
cat "$why"

rc=0
results=()
retried=()
for a in $arches; do
  echo "== Wine suite, ${build_name[$a]} ($a): ${dir[$a]}"
  report="${dir[$a]}/wine-suite-report.txt"
  rm -f "$report"
  QUORL_WINEARCH=$a bash "$top/tools/with-wine.sh" bash "$top/tools/wine-suite.sh" "${dir[$a]}" "$report" || rc=1
  failed=""
  if [ -f "$report" ]; then
    failed=$(sed -n 's/^failed //p' "$report" | paste -sd ' ' -)
    while read -r t; do retried+=("$t ($a)"); done < <(sed -n 's/^retried //p' "$report")
  else
    failed="(the suite did not start)"
  fi
  if [ -n "$failed" ]; then
    results+=("${build_name[$a]}: FAILED: $failed")
    rc=1
  else
    results+=("${build_name[$a]}: passed")
  fi
done

echo
for r in "${results[@]}"; do echo "== Wine suite, $r"; done
if [ ${#retried[@]} -eq 0 ]; then
  echo "== Passed only on a retry: none"
else
  echo "== Passed only on a retry (each a fault to find, not a pass): ${retried[*]}"
fi
if grep -qx win32 <<<"$arches"; then
  ran="the i686 product build and the x86_64 test build both ran under Wine"
else
  ran="NOT RUN: the i686 product build (${dir[win32]}) was built but its tests were not run"
  ran+=" ($(sed 's/^wine: //; s/:.*//' "$why")); only the x86_64 test build ran under Wine"
fi
echo "== ${ran^}"
# make test's closing line repeats it (tools/test-all.sh).
[ -z "${QUORL_WINE_RAN_FILE:-}" ] || printf '%s\n' "$ran" >"$QUORL_WINE_RAN_FILE"
exit $rc
