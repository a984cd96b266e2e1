#!/usr/bin/env bash
# Builds and runs every test. Usage: ./test.sh [PRESET] [extra ctest args]
# PRESET is one of default (the default), debug, asan, tsan, or windows: the Windows build
# with mingw-w64, its tests run under Wine (scripts/test-windows.sh). Three more runs that are
# no preset: fuzz [seconds] (each libFuzzer target for that long; scripts/fuzz.sh), soak
# (start/stop cycles in one process, memory and threads measured; scripts/soak.sh) and memcheck
# (orvhost under Valgrind on a set of scenarios; scripts/memcheck.sh).
set -euo pipefail
cd "$(dirname "$0")"
preset="${1:-default}"
[ $# -gt 0 ] && shift
case "$preset" in
  windows) exec scripts/test-windows.sh "$@" ;;
  fuzz) exec scripts/fuzz.sh "$@" ;;
  soak) exec scripts/soak.sh "$@" ;;
  memcheck) exec scripts/memcheck.sh "$@" ;;
esac
scripts/setup-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" "$@"
