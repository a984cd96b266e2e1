#!/usr/bin/env bash
# Installs and builds what the Windows build (preset `windows`: mingw-w64, run under Wine)
# needs, from Debian's packages only. Safe to run again: each part is skipped once it is there.
#
#   scripts/setup-windows-deps.sh [PREFIX]     default PREFIX: build/windows-deps
#
# - Debian packages: the mingw-w64 compiler (posix threads, for std::thread), Wine, the
#   GoogleTest sources, and the headers of fmt, spdlog, utfcpp and CLI11.
# - jsoncpp: Debian has no mingw build of it, so its Debian source package is fetched through
#   a private apt configuration (PREFIX/apt; the machine's own apt sources stay untouched) and
#   built with mingw-w64 as a DLL, so that one copy serves every library of the process.
# - GoogleTest: built from Debian's /usr/src/googletest.
# - fmt and spdlog are used header-only; they, utfcpp and CLI11 are linked into PREFIX/include
#   so that the cross build never sees the rest of /usr/include.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
deps="${1:-${root}/build/windows-deps}"
prefix="${deps}/prefix"
toolchain="${root}/cmake/mingw-w64-x86_64.cmake"
mkdir -p "${deps}" "${prefix}/include"

as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)

install_packages() {
    local wanted=(g++-mingw-w64-x86-64-posix wine64 googletest dpkg-dev cmake ninja-build
                  libfmt-dev libspdlog-dev libutfcpp-dev libcli11-dev ca-certificates)
    local missing=() p
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' ||
            missing+=("$p")
    done
    ((${#missing[@]})) || return 0
    echo "windows-deps: installing ${missing[*]}" >&2
    "${as_root[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq \
        --no-install-recommends "${missing[@]}" >/dev/null
}

# apt-get with a configuration of our own: a deb-src entry for the machine's Debian release,
# and lists and caches under PREFIX/apt.
private_apt() {
    local apt="${deps}/apt"
    mkdir -p "${apt}/lists/partial" "${apt}/cache/archives/partial" "${apt}/sources.list.d"
    local codename
    codename="$(. /etc/os-release && echo "${VERSION_CODENAME}")"
    cat >"${apt}/sources.list" <<EOF
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian ${codename} main
EOF
    # As root, apt would hand the download to its unprivileged user, who cannot write here.
    local sandbox=()
    [[ $(id -u) -ne 0 ]] || sandbox=(-o APT::Sandbox::User=root)
    apt-get -q "${sandbox[@]}" \
        -o Dir::Etc::SourceList="${apt}/sources.list" \
        -o Dir::Etc::SourceParts="${apt}/sources.list.d" \
        -o Dir::State::Lists="${apt}/lists" \
        -o Dir::Cache="${apt}/cache" \
        -o Debug::NoLocking=1 \
        "$@"
}

build_jsoncpp() {
    [[ -f "${prefix}/lib/cmake/jsoncpp/jsoncppConfig.cmake" ]] && return 0
    echo "windows-deps: building jsoncpp from Debian's source package" >&2
    local src="${deps}/src"
    rm -rf "${src}" && mkdir -p "${src}"
    private_apt update -qq
    (cd "${src}" && private_apt source libjsoncpp >/dev/null)
    local tree
    tree="$(find "${src}" -maxdepth 1 -mindepth 1 -type d -name 'libjsoncpp-*' | head -n1)"
    [[ -n "${tree}" ]] || { echo "windows-deps: libjsoncpp source did not unpack" >&2; exit 1; }
    cmake -S "${tree}" -B "${deps}/jsoncpp-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="${toolchain}" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="${prefix}" \
        -DBUILD_SHARED_LIBS=ON -DBUILD_STATIC_LIBS=OFF -DBUILD_OBJECT_LIBS=OFF \
        -DJSONCPP_WITH_TESTS=OFF -DJSONCPP_WITH_POST_BUILD_UNITTEST=OFF \
        -DJSONCPP_WITH_PKGCONFIG_SUPPORT=OFF -DJSONCPP_WITH_EXAMPLE=OFF >/dev/null
    cmake --build "${deps}/jsoncpp-build" >/dev/null
    cmake --install "${deps}/jsoncpp-build" >/dev/null
}

build_googletest() {
    [[ -f "${prefix}/lib/cmake/GTest/GTestConfig.cmake" ]] && return 0
    echo "windows-deps: building GoogleTest from /usr/src/googletest" >&2
    cmake -S /usr/src/googletest -B "${deps}/googletest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="${toolchain}" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="${prefix}" -DBUILD_GMOCK=ON -Dgtest_disable_pthreads=OFF \
        >/dev/null
    cmake --build "${deps}/googletest-build" >/dev/null
    cmake --install "${deps}/googletest-build" >/dev/null
}

link_headers() {
    local dir
    for dir in fmt spdlog utf8cpp CLI; do
        [[ -e "${prefix}/include/${dir}" ]] || ln -s "/usr/include/${dir}" "${prefix}/include/${dir}"
    done
}

install_packages
build_jsoncpp
build_googletest
link_headers
