#!/usr/bin/env bash
# fuzz.sh NATIVE_BUILD SECONDS: runs every fuzzer for SECONDS on a scratch
# copy of its corpus; new inputs are left in build/fuzz-work/<name>, and
# what a fuzzer finds (crash-*, leak-*, timeout-*, oom-*) in
# build/fuzz-artifacts/<name>/, never in the folder make runs from.
set -euo pipefail
native=$1; secs=${2:-60}
work="$native/../fuzz-work"
artifacts="$native/../fuzz-artifacts"
found=0
for f in "$native"/fuzzers/*; do
  [ -x "$f" ] && [ -f "$f" ] || continue
  name=$(basename "$f")
  corpus=$(cat "$f.corpus")
  mkdir -p "$work/$name" "$artifacts/$name"
  cp -n "$corpus"/* "$work/$name"/ 2>/dev/null || true
  echo "== $name for ${secs}s"
  # A find ends the run with a non-zero status: go on with the next fuzzer.
  "$f" -max_total_time="$secs" -print_final_stats=1 -artifact_prefix="$artifacts/$name/" "$work/$name" 2>&1 |
    tail -n 12 || true
  if compgen -G "$artifacts/$name/*" >/dev/null; then
    echo "== $name has finds: $(ls "$artifacts/$name" | paste -sd ' ' -) in $artifacts/$name"
    found=1
  fi
done
exit $found
