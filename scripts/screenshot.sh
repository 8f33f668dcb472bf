#!/bin/sh
# Starts tolvexan under Wine on a fresh Xvfb in FOLDER and saves a picture of
# its window: screenshot.sh FOLDER FILE [EXE]
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
folder=$1
shot=$2
exe=${3:-$top/build/wine-tests/program/tolvexan.exe}
prefix="$top/build/wineprefix-sample"

xvfb-run -a -s "-screen 0 800x600x24" sh -c '
    "$1" "$2" wineboot
    # Let Wine draw the caption: there is no window manager on Xvfb.
    "$1" "$2" reg add "HKCU\\Software\\Wine\\X11 Driver" /v Managed /d N /f >/dev/null
    (cd "$3" && "$1" "$2" "$4") &
    sleep 6
    # The dialog sits at the top left corner of the screen.
    import -window root -crop 340x370+0+0 +repage "$5"
    WINEPREFIX="$2" /usr/lib/wine/wineserver64 -k
' sh "$top/scripts/wine-run.sh" "$prefix" "$folder" "$exe" "$shot"
