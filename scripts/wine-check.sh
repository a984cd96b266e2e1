#!/usr/bin/env bash
# Optional check, not part of CI: builds the platform-neutral Win32 tests (tests/winapi/
# *_contract_test.cpp) with mingw-w64 against real Win32 and runs them under Wine, so that
# the simulated machine and Win32 are held to the same expectations.
#
#   scripts/wine-check.sh            install what is missing, build into build/wine, run
#
# Installs with apt-get as needed: g++-mingw-w64-x86-64-posix (std::thread), wine64, and
# the GoogleTest sources (Debian's googletest, under /usr/src/googletest). Wine runs
# headless with a private prefix in build/wine/prefix. Exits non-zero when a test fails.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${root}/build/wine"
wine64=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64

missing=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing+=(g++-mingw-w64-x86-64-posix)
[[ -x "${wine64}" ]] || missing+=(wine64)
[[ -f /usr/src/googletest/CMakeLists.txt ]] || missing+=(googletest)
command -v cmake >/dev/null || missing+=(cmake)
if ((${#missing[@]})); then
    echo "wine-check: installing ${missing[*]}"
    apt_get=(apt-get)
    [[ $(id -u) -eq 0 ]] || apt_get=(sudo apt-get)
    "${apt_get[@]}" update -q
    DEBIAN_FRONTEND=noninteractive "${apt_get[@]}" install -y -q --no-install-recommends "${missing[@]}"
fi

export WINEPREFIX="${build}/prefix"
export WINEARCH=win64
export WINEDEBUG=-all
unset DISPLAY WAYLAND_DISPLAY
mkdir -p "${WINEPREFIX}"
if [[ ! -f "${WINEPREFIX}/system.reg" ]]; then
    echo "wine-check: creating the Wine prefix"
    "${wine64}" wineboot --init >/dev/null 2>&1 || true
    "${wineserver}" -w
fi
# One server for the whole run; it is stopped however the script ends.
"${wineserver}" -p
trap '"${wineserver}" -k 2>/dev/null || true' EXIT
# Start Wine's session processes now, detached from any pipe: started by a test run, they
# would inherit its output and keep CTest's test discovery waiting for the end of it.
"${wine64}" wineboot >/dev/null 2>&1 </dev/null

generator=()
command -v ninja >/dev/null && generator=(-G Ninja)
cmake -S "${root}/tests/winapi/wine" -B "${build}" "${generator[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="${root}/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release
cmake --build "${build}" -j2
ctest --test-dir "${build}" -j2 --output-on-failure
