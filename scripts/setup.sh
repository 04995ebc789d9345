#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, when it is
# missing.  Run as root (or with sudo available); does nothing when all is there.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    libxml2-dev libfreetype-dev fonts-liberation2 libpng-dev
    clang libclang-rt-14-dev
)
if [[ "${ORV_WINDOWS:-1}" == 1 ]]; then
    packages+=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then
    command -v sudo >/dev/null || { echo "Run as root to install: ${missing[*]}" >&2; exit 1; }
    sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
