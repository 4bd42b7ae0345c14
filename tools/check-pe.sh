#!/usr/bin/env bash
# check-pe.sh OBJDUMP EXE FORMAT: build-time check of a launcher program:
# its object format (pei-i386 for the product, pei-x86-64 for the test
# build) and that it imports only DLLs that every Windows has, so that it
# runs from a bare folder.  Runs on every machine: it needs no Wine.
set -euo pipefail
objdump=$1 exe=$2 want=$3
fmt=$("$objdump" -f "$exe" | sed -n 's/.*file format //p' | head -n 1)
if [ "$fmt" != "$want" ]; then
  echo "check-pe: $exe is '$fmt', expected '$want'" >&2
  exit 1
fi
system='^(kernel32|user32|gdi32|advapi32|shell32|shlwapi|comctl32|comdlg32|ole32|oleaut32|winmm|imm32|version|ws2_32|wsock32|wininet|crypt32|msvcrt|d3d9|ddraw|dsound|psapi)\.dll$'
bad=$("$objdump" -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | grep -Ev "$system" || true)
if [ -n "$bad" ]; then
  echo "check-pe: $exe imports DLLs that are not part of Windows:" $bad >&2
  exit 1
fi
