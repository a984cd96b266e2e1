#!/usr/bin/env bash
# The Windows half of the tests (./test.sh windows): builds the library, the stand-ins, the
# service host and the Windows tests with mingw-w64 GCC, and the same sources with Clang for
# mingw-w64 (thread-safety analysis of the Windows build); then runs the tests under Wine,
# headless, in the project's own prefix, with one Wine server started and ended here; and
# prints a summary: tests run, passed, failed, skipped (with reasons), and how long the real
# service manager took to start and to stop the service.
#
#   scripts/test-windows.sh [extra ctest args]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "${root}"

scripts/setup-deps.sh
scripts/setup-windows-deps.sh

# The export comparison needs the Linux library beside the DLL.
cmake --preset default >/dev/null
cmake --build --preset default --target orvservice

cmake --preset windows >/dev/null
cmake --build --preset windows
cmake --preset windows-clang >/dev/null
cmake --build --preset windows-clang

export WINEPREFIX="${root}/build/wine-prefix"
export WINEARCH=win64
export WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64
if [[ ! -f "${WINEPREFIX}/system.reg" ]]; then
    echo "test-windows: creating the Wine prefix ${WINEPREFIX}"
    mkdir -p "${WINEPREFIX}"
    "${wine64}" wineboot --init >/dev/null 2>&1 </dev/null || true
    "${wineserver}" -w
fi
# One server for the whole run, so that each test does not start its own; ended however the
# script ends.
"${wineserver}" -p
trap '"${wineserver}" -k 2>/dev/null || true' EXIT
# Wine's session processes (its service manager among them) start now, detached from any
# pipe: started by a test, they would inherit its output and keep CTest waiting.
"${wine64}" wineboot >/dev/null 2>&1 </dev/null

junit="${root}/build/windows/test-results.xml"
status=0
ctest --preset windows -j2 --output-junit "${junit}" "$@" || status=$?

# The summary, from CTest's JUnit report: each skipped test's reason is the line that
# GoogleTest prints after "Skipped", and the service-manager suite prints its durations.
awk '
    /<testcase / {
        total++
        match($0, /name="[^"]*"/); name = substr($0, RSTART + 6, RLENGTH - 7)
        match($0, /status="[^"]*"/); state = substr($0, RSTART + 8, RLENGTH - 9)
        skipped = 0; reason = ""; take_reason = 0
        if (state == "run") passed++
        else if (state == "fail") failed++
    }
    /<skipped / { skipped = 1 }
    take_reason { reason = $0; take_reason = 0 }
    /: Skipped$/ { take_reason = 1 }
    /ORV-DURATION / {
        for (i = 1; i <= NF; i++) {
            if ($i !~ /=/) continue
            split($i, kv, "="); what = (kv[1] ~ /stop/) ? "stop to stopped" : "start to running"
            ms = kv[2] + 0; count[what]++
            if (!(what in low) || ms < low[what]) low[what] = ms
            if (!(what in high) || ms > high[what]) high[what] = ms
        }
    }
    /<\/testcase>/ {
        if (skipped) { nskipped++; reasons = reasons "    " name ": " reason "\n" }
    }
    END {
        printf "\nWindows tests under Wine: %d run, %d passed, %d failed, %d skipped\n",
               total, passed, failed, nskipped
        if (nskipped) printf "  Skipped, where Wine differs from Windows:\n%s", reasons
        for (what in count)
            printf "  Under the real service manager, %s: %d to %d ms (%d times)\n",
                   what, low[what], high[what], count[what]
    }' "${junit}"
exit "${status}"
