#!/usr/bin/env bash
# fuzz.sh NATIVE_BUILD SECONDS: runs every fuzzer for SECONDS on a scratch
# copy of its corpus; new finds are left in build/fuzz-work/<name>.
set -euo pipefail
native=$1; secs=${2:-60}
work="$native/../fuzz-work"
for f in "$native"/fuzzers/*; do
  [ -x "$f" ] && [ -f "$f" ] || continue
  name=$(basename "$f")
  corpus=$(cat "$f.corpus")
  mkdir -p "$work/$name"
  cp -n "$corpus"/* "$work/$name"/ 2>/dev/null || true
  echo "== $name for ${secs}s"
  "$f" -max_total_time="$secs" -print_final_stats=1 "$work/$name" 2>&1 | tail -n 12
done
