#!/usr/bin/env bash
# Cross-compiling emulator for ctest: runs one Windows program under Wine.
# Expects tools/with-wine.sh to have prepared the prefix and the display.
. "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec wine "$@"
