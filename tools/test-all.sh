#!/usr/bin/env bash
# test-all.sh NATIVE_BUILD WIN32_BUILD WIN64_BUILD [CLOSING_FILE]: everything
# make test runs, each step whatever the steps before it gave: the format
# check, the native build and its suite (sanitizers), the Windows builds and
# their Wine suites (test-wine.sh).  The closing line says what failed and
# which Wine builds ran.
#
# Without CLOSING_FILE it prints that line last and exits non-zero on any
# failure.  With it (as make test calls it) the line goes into the file
# instead and the script exits 0 once it is written: make prints the line
# itself as its last word, failing with it (see the Makefile), so that no
# line of make's comes after it.  $MAKE names the make to build with.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
native=$1 win=$2 win64=$3 closing=${4:-}
make_cmd=${MAKE:-make}
jobs=${JOBS:-$(nproc)}
[ -z "$closing" ] || rm -f "$closing"

failed=()
echo "== Format check"
bash "$top/tools/check-format.sh" || failed+=("format check")

echo "== Native build and suite: $native"
if ! $make_cmd --no-print-directory native; then
  failed+=("native build")
elif ! (cd "$native" && ctest --output-on-failure -j "$jobs"); then
  failed+=("native suite")
fi

wine_ran=""
ran_file=$(mktemp)
trap 'rm -f "$ran_file"' EXIT
echo "== Windows builds and their Wine suites"
if ! $make_cmd --no-print-directory win win64; then
  failed+=("Windows builds")
  wine_ran="no Wine suite ran (the Windows builds failed)"
else
  QUORL_WINE_RAN_FILE=$ran_file bash "$top/tools/test-wine.sh" "$win" "$win64" || failed+=("Wine suites")
  wine_ran=$(cat "$ran_file")
  [ -n "$wine_ran" ] || wine_ran="no Wine suite ran (see above)"
fi

if [ ${#failed[@]} -eq 0 ]; then
  line="make test passed; $wine_ran"
else
  line="make test FAILED: $(printf '%s, ' "${failed[@]}" | sed 's/, $//'); $wine_ran"
fi
if [ -n "$closing" ]; then
  printf '%s\n' "$line" >"$closing" || exit 1
  exit 0
fi
echo
echo "== $line"
[ ${#failed[@]} -eq 0 ]
