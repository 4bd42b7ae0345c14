#!/usr/bin/env bash
# run-demo.sh WIN32_BUILD WIN64_BUILD: starts the demo installation with the
# i686 launcher where this machine runs 32-bit programs, else the x86_64 one.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if bash "$top/tools/wine-arches.sh" 2>/dev/null | grep -qx win32; then
  echo "run: starting the i686 launcher (the product)"
  QUORL_WINEARCH=win32 exec bash "$top/tools/with-wine.sh" bash "$top/tools/demo.sh" "$1"
fi
echo "run: this kernel runs no 32-bit programs: starting the x86_64 build of the launcher"
QUORL_WINEARCH=win64 exec bash "$top/tools/with-wine.sh" bash "$top/tools/demo.sh" "$2"
