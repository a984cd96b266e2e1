#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: headless, 64-bit, in the project's own
# prefix (build/wine-prefix unless WINEPREFIX says otherwise), which it creates when missing.
# CTest runs every Windows test through this (the toolchain's emulator).
#
#   scripts/wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-${root}/build/wine-prefix}"
export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
# Headless: no window may open, and no desktop is needed.
unset DISPLAY WAYLAND_DISPLAY
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64

if [[ ! -f "${WINEPREFIX}/system.reg" ]]; then
    mkdir -p "${WINEPREFIX}"
    "${wine64}" wineboot --init >/dev/null 2>&1 </dev/null || true
    "${wineserver}" -w
fi
# Once in a few hundred launches on a loaded machine, wine64 ends within a few tens of
# milliseconds, with no output and a failure status, before the program has run (a program
# takes at least 200 ms to start under Wine). Such a launch is tried once more, and said so;
# a program that really fails at start fails the second launch too.
started=${EPOCHREALTIME/./}
status=0
"${wine64}" "$@" || status=$?
elapsed_ms=$(( (${EPOCHREALTIME/./} - started) / 1000 ))
if (( status != 0 && elapsed_ms < 100 )); then
    echo "wine-run: ${1##*/} ended with status ${status} after ${elapsed_ms} ms, before it" \
        "could have started; launching it once more" >&2
    exec "${wine64}" "$@"
fi
exit "${status}"
