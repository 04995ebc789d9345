#!/bin/sh
# The Windows half of CI: installs the cross compilers and Wine when they are
# missing, makes the quiet Wine prefix, builds the windows preset (win.xpl,
# the 64-bit service, the stand-in XPLM_64.dll, the test programs, the
# package zip) and runs its tests under Wine, then builds the windows32
# preset (the 32-bit orvservice.exe; its tests need a 32-bit Wine, which is
# not installed: built only) and packages again, now with the 32-bit service.
#
#   scripts/wine-ci.sh          (build trees build/windows, build/windows32)
#
# Needs no X display.  Exits non-zero on the first failure.
set -eu

repo="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${ORV_JOBS:-2}"

packages="g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine wine64 googletest cmake ninja-build"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
        missing="$missing $package"
done
if [ -n "$missing" ]; then
    echo "== installing:$missing"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
fi

step() {
    echo "== $1 ($(date +%T))"
}

cd "$repo"
step "Wine prefix"
"$repo/scripts/wine-prefix.sh"

step "configure windows"
cmake --preset windows
step "build windows"
cmake --build --preset windows -j "$jobs"
cmake --build --preset windows --target package
step "test windows (Wine)"
ctest --preset windows -j "$jobs" --no-tests=error

step "configure windows32"
cmake --preset windows32
step "build windows32"
cmake --build --preset windows32 -j "$jobs"
if [ -x /usr/lib/wine/wine ]; then
    step "test windows32 (Wine)"
    ctest --preset windows32 -j "$jobs" --no-tests=error
fi
# The package ships the service as the 32-bit program just built.
step "package with the 32-bit service"
cmake --build --preset windows --target package
step "done"
