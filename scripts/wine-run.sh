#!/bin/sh
# Runs a Windows program under Wine in the quiet test prefix, creating the
# prefix first when it is missing.  CTest uses it as the cross-compiling
# emulator of the Windows builds:
#
#   scripts/wine-run.sh program.exe [arguments...]
#
# The exit code is the program's.
set -eu

here="$(cd "$(dirname "$0")" && pwd)"
. "$here/wine-env.sh"

if [ -z "$ORV_WINE" ]; then
    echo "wine-run.sh: no Wine found (install Debian's wine and wine64)" >&2
    exit 127
fi
if [ ! -f "$WINEPREFIX/.orv-ready" ]; then
    "$here/wine-prefix.sh" >&2
fi
# Bring the Wine session up (its server and its system processes) detached
# from our output first: started by the program, they would inherit its
# standard output and keep a test runner's pipe open until the session ends.
# The server stays 10 s after its last program, so a test run's programs
# share one session; nothing is left running after that.
# (A server that is already running makes wineserver exit with 2.)
if "$ORV_WINESERVER" -p10 </dev/null >/dev/null 2>&1; then
    "$ORV_WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
fi
exec "$ORV_WINE" "$@"
