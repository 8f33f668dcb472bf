#!/bin/sh
# Builds every tree and runs every test: the shipped program and its gate,
# the portable logic natively (plain and with sanitizers), and the Windows
# tests under Wine, which start the shipped program end to end.
set -eu
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --workflow --preset win32
cmake --workflow --preset host
cmake --workflow --preset host-asan
# One display for all the Wine tests, rather than one per test.
xvfb-run -a -s "-screen 0 1024x768x24" cmake --workflow --preset wine-tests
