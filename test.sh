#!/usr/bin/env bash
# Builds and runs every test. Usage: ./test.sh [PRESET] [extra ctest args]
# PRESET is one of default (the default), debug, asan, tsan.
set -euo pipefail
cd "$(dirname "$0")"
preset="${1:-default}"
[ $# -gt 0 ] && shift
scripts/setup-deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" "$@"
