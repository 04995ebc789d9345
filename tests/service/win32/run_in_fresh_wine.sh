#!/bin/sh
# Runs a Windows test program under Wine in a session of its own: first waits
# for the session of the programs before it to end, and at its end for its
# own session to end.  A test that installs
# services must not start while the system processes of an ending session
# (the service manager among them) are shutting down: they would take its
# services with them.
#
#   run_in_fresh_wine.sh program.exe [arguments...]
set -eu

repo="$(cd "$(dirname "$0")/../../.." && pwd)"
. "$repo/scripts/wine-env.sh"
if [ -n "$ORV_WINE" ]; then
    "$ORV_WINESERVER" -w </dev/null >/dev/null 2>&1 || true
fi
status=0
"$repo/scripts/wine-run.sh" "$@" || status=$?
# The session ends with this test: the tests after it start in a new one,
# not in one that is shutting down.
if [ -n "$ORV_WINE" ]; then
    "$ORV_WINESERVER" -w </dev/null >/dev/null 2>&1 || true
fi
exit "$status"
