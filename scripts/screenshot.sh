#!/bin/sh
# Starts tolvexan.exe under Wine on a fresh Xvfb in FOLDER and saves a picture
# of its window to FILE: screenshot.sh FOLDER FILE
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
folder=$1
shot=$2
prefix="$top/build/wineprefix-sample"

xvfb-run -a -s "-screen 0 800x600x24" sh -c '
    "$1" "$2" wineboot
    (cd "$3" && "$1" "$2" "$4") &
    sleep 6
    # The dialog sits at the top left corner of the screen.
    import -window root -crop 400x400+0+0 +repage "$5"
    WINEPREFIX="$2" wineserver -k
' sh "$top/scripts/wine-run.sh" "$prefix" "$folder" "$top/build/win32/tolvexan.exe" "$shot"
