#!/usr/bin/env bash
# wine-arches.sh: prints the Wine architectures this machine can run, one
# per line (win32 and/or win64), and on stderr one line saying why.
# The i386 loader is a 32-bit program: on a kernel without IA-32 emulation
# it cannot even print its version ("Exec format error").  The 64-bit
# loader runs everywhere the wine64 package is installed.
set -u
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo win32
  echo win64
  echo "wine: testing the i686 build and the x86_64 build" >&2
else
  echo win64
  if [ -e /usr/lib/wine/wine ]; then
    echo "wine: this kernel runs no 32-bit programs: the i686 build is built but not run; testing the x86_64 build" >&2
  else
    echo "wine: the 32-bit Wine loader is not installed: the i686 build is built but not run; testing the x86_64 build" >&2
  fi
fi
