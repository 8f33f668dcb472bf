#!/bin/sh
# Builds every tree and runs every test: the shipped program and its checks,
# the portable logic natively (plain and with sanitizers) and under the
# fuzzers, the Windows tests under Wine, which start the tool end to end, and
# the static checks of all the code.
set -eu
cd "$(dirname "$0")/.."

scripts/install-deps.sh

cmake --workflow --preset win32
cmake --workflow --preset host
cmake --workflow --preset host-asan
# One display for all the Wine tests, rather than one per test.
xvfb-run -a -s "-screen 0 1024x768x24" cmake --workflow --preset wine-tests
tests/fuzz/run-fuzzers.sh
scripts/check-static.sh
