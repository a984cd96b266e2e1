#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
# Safe to run again and again; does nothing (and needs no root) when all is there.
set -euo pipefail

packages=(
  cmake ninja-build clang g++ pkg-config
  libjsoncpp-dev libfmt-dev libspdlog-dev libutfcpp-dev libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}" >&2
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
