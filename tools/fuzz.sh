#!/usr/bin/env bash
# fuzz.sh NATIVE_BUILD SECONDS: runs every fuzzer for SECONDS on a scratch
# copy of its corpus; new inputs are left in build/fuzz-work/<name>, and
# what a fuzzer finds (crash-*, leak-*, timeout-*, oom-*) in
# build/fuzz-artifacts/<name>/, never in the folder make runs from.
#
# Only this run counts: the finds of earlier runs and the shrunk finds
# (min-*) stay where they are and are not looked at again.  The run fails
# when a fuzzer found something now, or ended abnormally (could not start,
# died without leaving a find); every fuzzer runs either way.
set -euo pipefail
native=$1; secs=${2:-60}
work="$native/../fuzz-work"
artifacts="$native/../fuzz-artifacts"
stamp=$(mktemp)
trap 'rm -f "$stamp"' EXIT
found=()
broken=()
ran=0

# The finds in folder $1 that this run made: written since the stamp, or not
# there before (names in $2, one a line).
finds_since() {
  local f name
  for f in "$1"/crash-* "$1"/leak-* "$1"/timeout-* "$1"/oom-*; do
    [ -f "$f" ] || continue
    name=$(basename "$f")
    if [ "$f" -nt "$stamp" ] || ! grep -qxF -- "$name" <<<"$2"; then echo "$name"; fi
  done
}

# Every fuzzer the build made has its .corpus file beside it.
for c in "$native"/fuzzers/*.corpus; do
  [ -f "$c" ] || continue
  f=${c%.corpus}
  name=$(basename "$f")
  ran=$((ran + 1))
  mkdir -p "$work/$name" "$artifacts/$name"
  if [ ! -f "$f" ] || [ ! -x "$f" ]; then
    echo "== $name: no program $f"
    broken+=("$name (no program)")
    continue
  fi
  if ! corpus=$(cat "$c") || [ ! -d "$corpus" ]; then
    echo "== $name: the corpus folder that $c names does not exist"
    broken+=("$name (no corpus)")
    continue
  fi
  cp -n "$corpus"/* "$work/$name"/ 2>/dev/null || true
  before=$(ls -A "$artifacts/$name")
  touch "$stamp"
  sleep 0.01  # a find written now is newer than the stamp on any file system clock
  echo "== $name for ${secs}s"
  set +e
  "$f" -max_total_time="$secs" -print_final_stats=1 -artifact_prefix="$artifacts/$name/" "$work/$name" 2>&1 |
    tail -n 12
  status=${PIPESTATUS[0]}
  set -e
  new=$(finds_since "$artifacts/$name" "$before")
  if [ -n "$new" ]; then
    echo "== $name found: $(paste -sd ' ' - <<<"$new") in $artifacts/$name"
    found+=("$name")
  elif [ "$status" -ne 0 ]; then
    echo "== $name ended with status $status and left no find"
    broken+=("$name (status $status)")
  fi
done

echo
if [ "$ran" -eq 0 ]; then
  echo "== fuzz: no fuzzer in $native/fuzzers"
  exit 1
fi
[ ${#found[@]} -eq 0 ] || echo "== fuzz: found something: ${found[*]} (see README, \"A fuzzer found something\")"
[ ${#broken[@]} -eq 0 ] || echo "== fuzz: ended abnormally: ${broken[*]}"
if [ ${#found[@]} -eq 0 ] && [ ${#broken[@]} -eq 0 ]; then
  echo "== fuzz: $ran fuzzers, ${secs}s each, nothing found"
  exit 0
fi
exit 1
