#!/bin/sh
# Creates (or refreshes) the quiet 64-bit Wine prefix that the Windows tests
# run in.  Safe to call from CI and from several test processes at once: one
# creates the prefix, the others wait for it.
#
#   scripts/wine-prefix.sh            create it if it is missing
#   scripts/wine-prefix.sh --force    create it anew
#
# ORV_WINEPREFIX chooses the folder (default: $HOME/.wine-orv).
set -eu

here="$(cd "$(dirname "$0")" && pwd)"
. "$here/wine-env.sh"

if [ -z "$ORV_WINE" ]; then
    echo "wine-prefix.sh: no Wine found (install Debian's wine and wine64)" >&2
    exit 1
fi

force=0
[ "${1:-}" = "--force" ] && force=1

mkdir -p "$(dirname "$WINEPREFIX")"
lock="$WINEPREFIX.lock"
exec 9>"$lock"
flock 9

if [ "$force" != 1 ] && [ -f "$WINEPREFIX/.orv-ready" ]; then
    exit 0
fi

rm -rf "$WINEPREFIX"
start=$(date +%s)
# wineboot -i: initialise the prefix; -u would also run the updates of an
# existing one.  Its output is noise about the missing display.
if ! "$ORV_WINE" wineboot -i >"$WINEPREFIX.log" 2>&1; then
    echo "wine-prefix.sh: wineboot failed, see $WINEPREFIX.log" >&2
    exit 1
fi
# Wait until the boot has finished writing the prefix.
"$ORV_WINESERVER" -w || true
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-prefix.sh: the prefix $WINEPREFIX was not created, see $WINEPREFIX.log" >&2
    exit 1
fi
touch "$WINEPREFIX/.orv-ready"
echo "wine-prefix.sh: prefix $WINEPREFIX ready in $(($(date +%s) - start)) s"
