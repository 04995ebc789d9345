# Sourced by the other wine-*.sh scripts: the settings of the quiet Wine
# prefix that the Windows tests run in.
#
#   ORV_WINEPREFIX  where the prefix lives (default: $HOME/.wine-orv);
#                   WINEPREFIX is set from it.
#
# No GUI: no Mono or Gecko install dialogs, no debug channels, no X display
# (the test programs are console programs; Wine's null display driver
# serves them).

export WINEPREFIX="${ORV_WINEPREFIX:-${HOME:-/root}/.wine-orv}"
export WINEDEBUG="${ORV_WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=${WINEDLLOVERRIDES:+;$WINEDLLOVERRIDES}"
export WINEARCH=win64
unset DISPLAY WAYLAND_DISPLAY

if [ -x /usr/lib/wine/wine64 ]; then
    ORV_WINE=/usr/lib/wine/wine64
    export WINELOADER="${WINELOADER:-/usr/lib/wine/wine64}"
    ORV_WINESERVER=/usr/lib/wine/wineserver64
else
    ORV_WINE="$(command -v wine64 || command -v wine || true)"
    ORV_WINESERVER="$(command -v wineserver || echo wineserver)"
fi
