#!/bin/sh
# The Windows half of CI: installs the cross compilers and Wine when they are
# missing (scripts/setup.sh), makes the quiet Wine prefix, builds the windows
# preset (win.xpl, the 64-bit service, the stand-in XPLM_64.dll, the test
# programs) and runs its tests under Wine, then builds the windows32 preset
# (with a 32-bit Wine everything, tests run; without one only the 32-bit
# orvservice.exe) and makes the package zip with the 32-bit service.
#
#   scripts/wine-ci.sh          (build trees build/windows, build/windows32)
#
# Needs no X display.  Exits non-zero on the first failure.
set -eu

repo="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${ORV_JOBS:-2}"

# The cross compilers, Wine and the rest, when missing.
"$repo/scripts/setup.sh"

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
step "test windows (Wine)"
ctest --preset windows -j "$jobs" --no-tests=error

step "configure windows32"
cmake --preset windows32
if [ -x /usr/lib/wine/wine ]; then
    step "build windows32"
    cmake --build --preset windows32 -j "$jobs"
    step "test windows32 (Wine)"
    ctest --preset windows32 -j "$jobs" --no-tests=error
else
    # Without a 32-bit Wine its tests cannot run: only the program shipped.
    step "build windows32: orvservice"
    cmake --build --preset windows32 -j "$jobs" --target orvservice
fi
# The package ships the service as the 32-bit program just built.
step "package with the 32-bit service"
cmake --build --preset windows --target package
step "done"
