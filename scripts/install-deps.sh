#!/bin/sh
# Installs what tolvexan needs on Debian 12 or 13, when it is missing: the
# same package names serve both, each resolved by the release itself.
#   install-deps.sh sample  only what building the program and starting it
#                           under Wine needs (scripts/run-sample.sh)
#   install-deps.sh         also what the tests and the static checks need
#   install-deps.sh roots   only what making and entering a Debian root needs
#                           (scripts/fresh-debian.sh)
# Where this machine runs i386 code but has no 32-bit Wine, it builds the i386
# Debian root that runs the shipped program (scripts/i386-root.sh); where that
# fails, the 64-bit fallback instead, with the reason in one line. Anything
# else that cannot be installed fails with apt's message.
set -eu
here=$(dirname "$0")

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Another package manager (unattended upgrades on a fresh machine) may hold
# the dpkg lock for a while: wait for it, ten minutes at most.
apt_get() {
    as_root env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=600 "$@"
}

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# Fresh package lists, once. A mirror in mid-sync fails an update for a while:
# it is tried again after a pause, and if it still fails, the lists apt has
# stand and the install decides. apt-get update does not wait for the lock of
# another one's update: that is waited for here.
updated="" update_error=""
update_lists() {
    [ -z "$updated" ] || return 0
    updated=1 update_error=""
    log=$(mktemp)
    failures=0 waited=0
    until apt_get update >"$log" 2>&1; do
        if grep -q '^E: Could not get lock' "$log" && [ $waited -lt 600 ]; then
            [ $waited -gt 0 ] || { cat "$log" && echo "Waiting for another package manager's update to end"; }
            sleep 10
            waited=$((waited + 10))
        elif [ $((failures += 1)) -lt 2 ]; then
            cat "$log"
            echo "apt-get update failed; trying again in 30 seconds"
            sleep 30
        else
            update_error=$(grep -m 1 '^E: ' "$log" || echo "it exited non-zero")
            break
        fi
    done
    cat "$log"
    rm -f "$log"
    [ -z "$update_error" ] || echo "warning: apt-get update failed again; installing from the package lists apt has"
}

install_missing() {
    missing=""
    for package in "$@"; do
        installed "$package" || missing="$missing $package"
    done
    [ -n "$missing" ] || return 0
    echo "Installing:$missing"
    update_lists
    # shellcheck disable=SC2086 # one word a package
    apt_get install -y --no-install-recommends $missing
}

if [ "${1:-}" = roots ]; then
    install_missing debootstrap bubblewrap git
    exit 0
fi

# The probe for i386 code links with binutils. Where i386 code runs but no
# 32-bit Wine serves, the i386 root is built: the host's apt would need
# Debian's i386 lists in step with the host's own packages, which they often
# are not.
install_missing binutils
code=$("$here/windows-arch.sh" code)
arch=$("$here/windows-arch.sh")
if [ "${code%% *}" = 32 ] && [ "${arch%% *}" = 64 ]; then
    install_missing debootstrap bubblewrap
    log=$(mktemp)
    { "$here/i386-root.sh" build 2>&1 || echo >"$log.failed"; } | tee "$log"
    if [ -f "$log.failed" ]; then
        echo "The i386 Debian root could not be built, so the Windows tests and the sample take the 64-bit path:" \
            "$(tail -n 1 "$log")"
    fi
    rm -f "$log" "$log.failed"
    arch=$("$here/windows-arch.sh")
fi

# The program's compiler; Wine on Xvfb, with a Japanese locale and fonts;
# ImageMagick for the picture of the window without a display; git for the
# release archive's date.
packages="cmake make python3 git g++-mingw-w64-i686-win32 wine wine64 fonts-wine xvfb xauth imagemagick
  locales fonts-ipafont-gothic"
# Without 32-bit Wine, the Wine test tree builds the 64-bit program.
[ "${arch%% *}" = 32 ] || packages="$packages g++-mingw-w64-x86-64-posix googletest"
# The tests' compilers, GoogleTest, Google Benchmark, clang for the fuzzer,
# the static checkers, and the modules that read PE files and decode their code.
if [ "${1:-}" != sample ]; then
    packages="$packages g++ g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest libgtest-dev
      libbenchmark-dev python3-pefile python3-capstone jq clang libclang-rt-dev clang-format clang-tidy
      cppcheck shellcheck pyflakes3"
fi
# shellcheck disable=SC2086 # one word a package
install_missing $packages

# Wine takes its ANSI code page from the locale: Japanese needs ja_JP.UTF-8.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    as_root sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
    as_root locale-gen
fi
