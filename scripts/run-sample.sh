#!/bin/sh
# Builds tolvexan.exe and starts the tool under Wine in the sample driver
# package, as a user would start it in an unpacked driver folder. Without a
# display it runs on Xvfb, saves a picture of the window and closes the tool.
#
# The shipped program is build/win32/tolvexan.exe (32-bit). Our machines'
# kernels run no 32-bit code, so what runs here is the 64-bit build of the
# same sources from the Wine test tree; set TOLVEXAN_EXE to run another.
set -eu
cd "$(dirname "$0")/.."
top=$(pwd)

scripts/install-deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32
cmake --preset wine-tests >/dev/null
cmake --build --preset wine-tests --target tolvexan
exe=${TOLVEXAN_EXE:-$top/build/wine-tests/program/tolvexan.exe}
echo "Shipped program: $top/build/win32/tolvexan.exe; running: $exe"

if [ -n "${DISPLAY:-}" ]; then
    cd "$top/examples"
    exec "$top/scripts/wine-run.sh" "$top/build/wineprefix-sample" "$exe"
fi

shot="$top/build/screenshot.png"
scripts/screenshot.sh "$top/examples" "$shot" "$exe"
echo "No display: ran the tool on Xvfb; a picture of its window is in $shot"
