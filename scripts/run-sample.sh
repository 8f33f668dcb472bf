#!/bin/sh
# Builds tolvexan.exe and starts the tool under Wine in the sample driver
# package, as a user would start it in an unpacked driver folder. Without a
# display it runs on Xvfb, saves a picture of the window and closes the tool.
#
# What runs is the shipped build/win32/tolvexan.exe under 32-bit Wine where
# this machine runs i386 code and 32-bit Wine could be installed; elsewhere a
# 64-bit build of the same sources from the Wine test tree.
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)

scripts/install-deps.sh sample
cmake --preset win32 >/dev/null
cmake --build --preset win32
arch=$(scripts/windows-arch.sh)
TOLVEXAN_WINE_ARCH=${arch%% *}
export TOLVEXAN_WINE_ARCH
if [ "$TOLVEXAN_WINE_ARCH" = 32 ]; then
    exe=$top/build/win32/tolvexan.exe
    echo "Starting the shipped program, $exe, under 32-bit Wine: ${arch#* }"
else
    cmake --preset wine-tests >/dev/null
    cmake --build --preset wine-tests --target tolvexan
    exe=$top/build/wine-tests/program/tolvexan.exe
    echo "Starting $exe, a 64-bit build of the same sources, under 64-bit Wine: ${arch#* }"
fi

if [ -n "${DISPLAY:-}" ]; then
    cd "$top/examples"
    exec "$top/scripts/wine-run.sh" "$top/build/wineprefix-sample-$TOLVEXAN_WINE_ARCH" "$exe"
fi

shot="$top/build/screenshot.png"
scripts/screenshot.sh "$top/examples" "$shot" "$exe"
echo "No display: ran the tool on Xvfb; a picture of its window is in $shot"
