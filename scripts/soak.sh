#!/usr/bin/env bash
# Soak (./test.sh soak): builds the default preset's soak program and runs it: 1000 start/stop
# cycles of the service in one process, failing when resident memory, heap in use or the thread
# count grows after the warm-up. Options go to the program (service_soak --help), e.g.
# --cycles 5000.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "${root}"

scripts/setup-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default --target service_soak

# The service's log file goes beside the build, not into the caller's directory.
export ORV_LOG_DIR="${root}/build/default/soak"
mkdir -p "${ORV_LOG_DIR}"
rm -f "${ORV_LOG_DIR}/OrvService.log"
exec "${root}/build/default/tests/soak/service_soak" "$@"
