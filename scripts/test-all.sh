#!/bin/sh
# Builds every tree and runs every test: the shipped program and its checks,
# the portable logic natively (plain and with sanitizers) and under the
# fuzzer, the Windows tests under Wine, which start the tool end to end, and
# the static checks.
set -eu
cd "$(dirname "$0")/.."

scripts/install-deps.sh

# The Windows tests run the shipped 32-bit program under 32-bit Wine wherever
# this machine runs i386 code, the host's Wine or the i386 root's; elsewhere
# a 64-bit build of it, and the 32-bit tree only builds. CI (CI set) takes
# that fallback only where no i386 code runs or TOLVEXAN_FORCE_64BIT=1 asks
# for it: otherwise it would pass without ever starting the shipped file.
arch=$(scripts/windows-arch.sh)
if [ "${arch%% *}" = 32 ]; then
    echo "Windows tests: 32-bit, against the shipped build/win32/tolvexan.exe and tolvexan-check.exe: ${arch#* }"
    windows_tests=wine-tests-32
elif [ -n "${CI:-}" ] && [ "$(scripts/windows-arch.sh code | cut -d ' ' -f 1)" = 32 ]; then
    echo "Windows tests: refused under CI, which must test the shipped 32-bit program where i386 code runs: ${arch#* }"
    exit 1
else
    echo "Windows tests: 64-bit fallback, against a 64-bit build of the same sources: ${arch#* }"
    windows_tests=wine-tests
    cmake --preset wine-tests-32 >/dev/null
    cmake --build --preset wine-tests-32
fi

cmake --workflow --preset win32
cmake --workflow --preset host
cmake --workflow --preset host-asan
# One display for all the Wine tests, rather than one per test.
xvfb-run -a -s "-screen 0 1024x768x24" cmake --workflow --preset "$windows_tests"
# Its Wine would linger a minute after the last test: end it now.
scripts/wine-run.sh "$(pwd)/build/$windows_tests/wineprefix" wineserver -k || true
cmake --workflow --preset fuzz
scripts/check-static.sh
