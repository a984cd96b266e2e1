#!/usr/bin/env bash
# Builds and runs every test. Usage: ./test.sh [PRESET] [extra ctest args]
# PRESET is one of default (the default), debug, asan, tsan, or windows: the Windows build
# with mingw-w64, its tests run under Wine (scripts/test-windows.sh). Two more runs that are no
# preset: soak (start/stop cycles in one process, memory and threads measured; scripts/soak.sh)
# and memcheck (orvhost under Valgrind on a set of scenarios; scripts/memcheck.sh).
set -euo pipefail
cd "$(dirname "$0")"
preset="${1:-default}"
[ $# -gt 0 ] && shift
if [ "$preset" = windows ]; then
  exec scripts/test-windows.sh "$@"
fi
if [ "$preset" = soak ]; then
  exec scripts/soak.sh "$@"
fi
if [ "$preset" = memcheck ]; then
  exec scripts/memcheck.sh "$@"
fi
scripts/setup-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" "$@"
