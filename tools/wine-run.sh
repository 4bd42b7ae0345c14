#!/usr/bin/env bash
# Cross-compiling emulator for ctest: wine-run.sh ARCH PROGRAM ARGS...
# runs one Windows program under Wine (ARCH win32 or win64).  Expects
# tools/with-wine.sh to have prepared the prefix and the display.
export QUORL_WINEARCH=$1
shift
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec "$QUORL_WINE" "$@"
