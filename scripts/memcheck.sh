#!/usr/bin/env bash
# Memcheck (./test.sh memcheck): runs orvhost under Valgrind's memcheck on a representative set
# of scenarios (start-up, stop stages, a restart in one process, pre-shutdown races, controls,
# sibling libraries that throw) and fails on any memory error or definite leak. Prints
# Valgrind's own summary lines for each scenario and how long each took.
#
#   scripts/memcheck.sh                      # the set below
#   scripts/memcheck.sh scenarios/x.json ... # these files instead
#   ORVHOST=path/to/orvhost scripts/memcheck.sh   # that program, nothing built
#
# Scenarios that run the machine's clock at real speed to judge 2-second windows
# (time-change-thresholds, clock-change-both-reports) are left out: Valgrind slows the program
# by tens of times, which such windows cannot take. The full Valgrind logs are kept in
# build/default/memcheck/.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "${root}"

scripts/setup-deps.sh
if ! command -v valgrind >/dev/null; then
    echo "memcheck: installing valgrind" >&2
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends valgrind >/dev/null
fi

if [ -n "${ORVHOST:-}" ]; then
    orvhost="${ORVHOST}"
else
    cmake --preset default >/dev/null
    cmake --build --preset default --target orvhost
    orvhost="${root}/build/default/host/orvhost"
fi

if [ $# -gt 0 ]; then
    scenarios=("$@")
else
    scenarios=(
        scenarios/startup-ready-machine.json
        scenarios/restart-in-one-process.json
        scenarios/stop-during-agent-initialisation.json
        scenarios/stop-during-oobe-poll.json
        scenarios/preshutdown-racing-stop.json
        scenarios/session-logon-logoff.json
        scenarios/power-events.json
        scenarios/maintenance-controls.json
        scenarios/throw-worker-step.json
        scenarios/throw-bad-array-start-and-cleanup.json
        scenarios/throw-escapes-onstop.json
    )
fi

out="${root}/build/default/memcheck"
rm -rf "${out}"
mkdir -p "${out}"
# A distinct status for Valgrind's findings, so they are told apart from a failed scenario.
valgrind_errors=99
failed=()
began=$(date +%s)
for scenario in "${scenarios[@]}"; do
    stem="$(basename "${scenario}" .json)"
    mkdir -p "${out}/${stem}"
    log="${out}/${stem}.valgrind.txt"
    start=$(date +%s)
    status=0
    valgrind --tool=memcheck --error-exitcode=${valgrind_errors} --leak-check=full \
        --errors-for-leak-kinds=definite --show-leak-kinds=definite --fair-sched=yes \
        --suppressions="${root}/scripts/memcheck.supp" \
        --num-callers=40 --log-file="${log}" \
        "${orvhost}" run -q "${scenario}" --log-dir "${out}/${stem}" \
        >"${out}/${stem}.out.txt" 2>&1 || status=$?
    took=$(( $(date +%s) - start ))
    echo "== ${stem} (${took} s, exit ${status})"
    grep -E 'ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|still reachable|All heap blocks were freed' \
        "${log}" | sed -E 's/^==[0-9]+== /   /' || true
    if [ "${status}" -eq "${valgrind_errors}" ]; then
        failed+=("${stem} (memory errors or a definite leak; see ${log})")
    elif [ "${status}" -ne 0 ]; then
        failed+=("${stem} (the scenario failed under Valgrind, exit ${status}; see ${out}/${stem}.out.txt)")
    fi
done

echo "memcheck: ${#scenarios[@]} scenarios in $(( $(date +%s) - began )) s"
if [ ${#failed[@]} -gt 0 ]; then
    printf 'memcheck: FAILED: %s\n' "${failed[@]}"
    exit 1
fi
echo "memcheck: no memory errors, no definite leaks"
