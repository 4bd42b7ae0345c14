#!/usr/bin/env bash
# bench.sh NATIVE_BUILD WIN_BUILD: runs every benchmark program, natively and
# under Wine, and prints what each reports.
set -euo pipefail
native=$1; win=$2
for b in "$native"/bench/*; do
  [ -x "$b" ] && [ -f "$b" ] || continue
  echo "== native $(basename "$b")"; "$b"
done
shopt -s nullglob
wins=("$win"/bench/*.exe)
if [ ${#wins[@]} -gt 0 ]; then
  bash "$(dirname "$0")/with-wine.sh" bash -c '
    for b in "$@"; do echo "== wine $(basename "$b")"; "'"$(dirname "$0")"'/wine-run.sh" "$b"; done' _ "${wins[@]}"
fi
