#!/bin/sh
# Installs what tolvexan needs on Debian 12, when it is missing.
#   install-deps.sh sample  only what building the program and starting it
#                           under Wine needs (scripts/run-sample.sh)
#   install-deps.sh         also what the tests and the static checks need
set -eu
here=$(dirname "$0")

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

updated=""
install_missing() {
    missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $package"
    done
    [ -n "$missing" ] || return 0
    echo "Installing:$missing"
    [ -n "$updated" ] || as_root apt-get update -q
    updated=1
    # shellcheck disable=SC2086 # one word a package
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
}

# The probe for i386 code links with binutils.
install_missing binutils
arch=$("$here/windows-arch.sh")

# The program's compiler; Wine on Xvfb, with a Japanese locale and fonts;
# ImageMagick for the picture of the window without a display.
packages="cmake make python3 g++-mingw-w64-i686-win32 wine wine64 fonts-wine xvfb xauth imagemagick
  locales fonts-ipafont-gothic"
# Where no i386 code runs, the Wine test tree builds the 64-bit program.
[ "$arch" = 32 ] || packages="$packages g++-mingw-w64-x86-64-posix googletest"
# The tests' compilers, GoogleTest, Google Benchmark, clang for the fuzzer,
# the static checkers and the module that reads PE files.
if [ "${1:-}" != sample ]; then
    packages="$packages g++ g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest libgtest-dev
      libbenchmark-dev python3-pefile jq clang-14 libclang-rt-14-dev clang-format-14 clang-tidy-14 cppcheck
      shellcheck pyflakes3"
fi
# shellcheck disable=SC2086 # one word a package
install_missing $packages

# The shipped program is 32-bit: where this machine runs i386 code, it runs
# under 32-bit Wine, which comes with Debian's i386 architecture.
if [ "$arch" = 32 ]; then
    # A new architecture needs fresh package lists.
    dpkg --print-foreign-architectures | grep -qx i386 || { as_root dpkg --add-architecture i386 && updated=""; }
    install_missing wine32:i386
fi

# Wine takes its ANSI code page from the locale: Japanese needs ja_JP.UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    as_root sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
    as_root locale-gen
fi
