#!/bin/sh
# Starts tolvexan under Wine on a fresh Xvfb in FOLDER and saves a picture of
# its window: screenshot.sh FOLDER FILE EXE
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
arch=${TOLVEXAN_WINE_ARCH:-$("$top/scripts/windows-arch.sh" | cut -d' ' -f1)}
export TOLVEXAN_WINE_ARCH="$arch"

# shellcheck disable=SC2016 # the inner script expands its own arguments
xvfb-run -a -s "-screen 0 800x600x24" sh -c '
    "$1" "$2" wineboot
    (cd "$3" && "$1" "$2" "$4") &
    sleep 6
    # The dialog stands in the middle of the black screen: trimmed to it.
    import -window root "$5.screen.png"
    convert "$5.screen.png" -bordercolor black -border 1 -fuzz 5% -trim +repage "$5"
    rm -f "$5.screen.png"
    "$1" "$2" wineserver -k
' sh "$top/scripts/wine-run.sh" "$top/build/wineprefix-sample-$arch" "$1" "$3" "$2"
