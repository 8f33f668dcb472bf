#!/bin/sh
# Installs what building and testing tolvexan needs on Debian 12, when it is
# missing: the MinGW-w64 cross compilers (the program's, and those of the
# tests under Wine), Wine (32-bit too where this machine runs i386 code),
# Xvfb, a Japanese locale and fonts, GoogleTest and Google Benchmark, clang
# for the fuzzer, the static checkers, and the Python module that reads PE
# files.
set -eu

packages="cmake make g++ g++-mingw-w64-i686-win32 g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  wine wine64 fonts-wine xvfb xauth locales fonts-ipafont-gothic googletest libgtest-dev
  libbenchmark-dev python3 python3-pefile imagemagick jq
  clang-14 libclang-rt-14-dev clang-format-14 clang-tidy-14 cppcheck"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $package"
done

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    as_root apt-get update -q
    # shellcheck disable=SC2086
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
fi

# The shipped program is 32-bit: where this machine runs i386 code, its tests
# run it under 32-bit Wine, which comes with Debian's i386 architecture.
if [ "$("$(dirname "$0")/windows-arch.sh")" = 32 ] &&
    ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
    dpkg --print-foreign-architectures | grep -qx i386 || as_root dpkg --add-architecture i386
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends wine32:i386
fi

# Wine takes its ANSI code page from the locale: Japanese needs ja_JP.UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    as_root sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
    as_root locale-gen
fi
