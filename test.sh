#!/usr/bin/env bash
# Builds and runs every test. Usage: ./test.sh [PRESET] [extra ctest args]
# PRESET is one of default (the default), debug, asan, tsan, or windows: the Windows build
# with mingw-w64, its tests run under Wine (scripts/test-windows.sh); or fuzz [seconds]: the
# libFuzzer targets, each for that many seconds (scripts/fuzz.sh).
set -euo pipefail
cd "$(dirname "$0")"
preset="${1:-default}"
[ $# -gt 0 ] && shift
if [ "$preset" = windows ]; then
  exec scripts/test-windows.sh "$@"
fi
if [ "$preset" = fuzz ]; then
  exec scripts/fuzz.sh "$@"
fi
scripts/setup-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" "$@"
