#!/usr/bin/env bash
# bench.sh NATIVE_BUILD WIN32_BUILD WIN64_BUILD: runs every benchmark program,
# natively (NATIVE_BUILD: the release build, not the sanitizer build) and
# under Wine (each Windows build this machine can run), and prints what each
# reports.  The Wine benchmarks run beside the real web server of the
# download tests, which also serves a 300 MiB file.  A program that needs
# an environment of its own finds it in <program>.env beside it (NAME=value
# lines, no spaces: the settings dialog's bench gets the tests' sound).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
native=$1
declare -A dir=([win32]=$2 [win64]=$3)
for b in "$native"/bench/*; do
  [ -x "$b" ] && [ -f "$b" ] || continue
  echo "== native $(basename "$b")"; "$b"
done
shopt -s nullglob
for a in $(bash "$top/tools/wine-arches.sh"); do
  wins=("${dir[$a]}"/bench/*.exe)
  [ ${#wins[@]} -gt 0 ] || continue
  QUORL_WEB_BIG_MB=300 QUORL_WINEARCH=$a bash "$top/tools/with-wine.sh" \
      bash "$top/tools/httpfix/with-http-servers.sh" bash -c '
    for b in "$@"; do echo "== wine '"$a"' $(basename "$b")"; env $(cat "$b.env" 2>/dev/null) "'"$top"'/tools/wine-run.sh" '"$a"' "$b"; done' _ "${wins[@]}"
done
