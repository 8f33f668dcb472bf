#!/bin/sh
# Builds tolvexan.exe and starts it under Wine in the sample driver package,
# as a user would start it in an unpacked driver folder. Without a display it
# runs on Xvfb, saves a screenshot and closes the tool again.
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)

scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32

prefix="$top/build/wineprefix-sample"
if [ -n "${DISPLAY:-}" ]; then
    cd "$top/examples"
    exec "$top/scripts/wine-run.sh" "$prefix" "$top/build/win32/tolvexan.exe"
fi

shot="$top/build/screenshot.png"
scripts/screenshot.sh "$top/examples" "$shot"
echo "No display: ran the tool on Xvfb; a picture of its window is in $shot"
