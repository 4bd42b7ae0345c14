#!/usr/bin/env bash
# test-wine.sh WIN32_BUILD WIN64_BUILD: runs the whole test suite under Wine
# for every Windows build this machine can run (see wine-arches.sh), each in
# its own prefix with its own wineserver.  Fails when any suite fails.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
declare -A dir=([win32]=$1 [win64]=$2)
arches=$(bash "$top/tools/wine-arches.sh") || exit 1
rc=0
# A test program that fails is run once more, and the first failure stays
# in the log: a few desktop tests under Wine on a loaded machine have been
# seen to hang once in many runs (a dialog that never came up), and one
# lost run must not hide every other result.
for a in $arches; do
  echo "== Wine suite, $a build: ${dir[$a]}"
  QUORL_WINEARCH=$a bash "$top/tools/with-wine.sh" \
      ctest --test-dir "${dir[$a]}" --output-on-failure -j "${QUORL_WINE_JOBS:-4}" --repeat until-pass:2 || rc=1
done
exit $rc
