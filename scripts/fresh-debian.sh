#!/bin/sh
# Runs both README commands as a newcomer on Debian RELEASE (12 or 13) would:
#   fresh-debian.sh RELEASE
# in a throwaway minimal root of that release, made by debootstrap from this
# machine's own Debian mirror with the sources that Debian's installer writes
# (the release, its -updates and its -security), from a fresh clone of this
# repository's HEAD: first as root, as CI runs them, then as an ordinary user
# made with "useradd -m", with the clone in their home. The user must take the
# same Windows tests as root: a root that serves root alone fails here.
# Where the machine refuses i386 code, and so no i386 root was made, root then
# makes a small root with the release's own debootstrap, and the user enters it.
# Afterwards the roots are removed, and nothing stays mounted or running.
# It needs root (through sudo otherwise). Where the mirror cannot supply the
# release's base system at all, it says so in one line and exits 0; any other
# failure fails it.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
case "${1:-}" in
12) suite=bookworm ;;
13) suite=trixie ;;
*) echo "usage: $0 12|13" >&2 && exit 2 ;;
esac
if [ "$(id -u)" -ne 0 ]; then exec sudo "$0" "$@"; fi
release=$1
"$here/install-deps.sh" roots
root=$(mktemp -d "/var/tmp/tolvexan-debian$release.XXXXXX")
# A mount left behind would take its source with it.
trap 'grep -qF " $root" /proc/mounts || rm -rf "$root"' EXIT
trap 'exit 1' HUP INT TERM
started=$(date +%s)
elapsed() { echo "$(($(date +%s) - started)) s"; }

echo "== Debian $release ($suite): a throwaway root in $root"
status=0
"$here/debian-root.sh" make "$root" "$(dpkg --print-architecture)" \
    "$suite" "$suite-updates" "$suite-security" -- git || status=$?
if [ $status -eq 3 ]; then
    echo "Debian $release not tried: this machine's Debian mirror cannot supply its base system"
    exit 0
fi
[ $status -eq 0 ] || exit 1
git -C "$here/.." bundle create "$root/srv/tolvexan.bundle" HEAD
echo "== Debian $release: root made in $(elapsed)"

# Both commands from a fresh clone in the account's home, as it would type
# them, with the environment of a login (Debian's PATH for root or a user).
run() {
    account=$1 home=$2 path=$3
    shift 3
    # shellcheck disable=SC2016 # expanded in the root
    { "$here/debian-root.sh" enter "$root" --admin -- env -i PATH="$path" \
        HOME="$home" USER="$account" LOGNAME="$account" LANG=C.UTF-8 ${CI:+CI="$CI"} "$@" sh -c '
        cd && git -c advice.detachedHead=false clone -q /srv/tolvexan.bundle tolvexan && cd tolvexan &&
        scripts/test-all.sh && scripts/run-sample.sh' || touch "$root/srv/$account.failed"; } 2>&1 |
        tee "$root/srv/$account.log"
    [ ! -e "$root/srv/$account.failed" ] ||
        { echo "Debian $release: the README's commands failed for $account"; exit 1; }
    echo "== Debian $release: both commands passed for $account, $(elapsed) in"
}

run root /root /usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
"$here/debian-root.sh" enter "$root" --admin -- useradd -m tester
run tester /home/tester /usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games \
    setpriv --reuid tester --regid tester --init-groups --inh-caps=-all

windows_tests() { grep -m 1 '^Windows tests: ' "$root/srv/$1.log" | cut -d: -f2 | cut -d, -f1; }
if [ "$(windows_tests root)" != "$(windows_tests tester)" ]; then
    echo "Debian $release: the ordinary user's Windows tests were$(windows_tests tester), root's$(windows_tests root)"
    exit 1
fi
# This release's debootstrap must make roots that any account enters. Where
# the machine runs i386 code, root's run made the i386 root with it and the
# user's entered it. Elsewhere a small root of the machine's own architecture
# shows it: made by root, entered by the user, nothing left mounted.
# shellcheck disable=SC2016 # expanded in the root
"$here/debian-root.sh" enter "$root" --admin -- env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 sh -euc '
    cd /root/tolvexan
    code=$(scripts/windows-arch.sh code)
    if [ "${code%% *}" = 32 ]; then
        echo "== Debian $1: ${code#* }: the i386 root above shows its debootstrap at work"
        exit 0
    fi
    scripts/install-deps.sh roots
    echo "== Debian $1: ${code#* }; a small root with debootstrap $(dpkg-query -W -f "\${Version}" debootstrap)"
    scripts/debian-root.sh make "$3" "$(dpkg --print-architecture)" "$2"
    setpriv --reuid tester --regid tester --init-groups --inh-caps=-all \
        env -i HOME=/home/tester PATH=/usr/local/bin:/usr/bin:/bin /home/tester/tolvexan/scripts/debian-root.sh \
        enter "$3" -- sh -c ". /etc/os-release && echo \"== Debian $1: in the small root as uid \$(id -u): \$PRETTY_NAME\""
    if grep -F " $3" /proc/mounts; then
        echo "Debian $1: the small root $3 stayed mounted (above)"
        exit 1
    fi
    rm -rf "$3"
    echo "== Debian $1: small root made, entered by tester and removed, nothing left mounted"' \
    sh "$release" "$suite" /srv/small-root ||
    { echo "Debian $release: could not make or enter a small root with its own debootstrap"; exit 1; }
if grep -F " $root" /proc/mounts; then
    echo "Debian $release: something stayed mounted in $root (above); the root is left in place"
    exit 1
fi
echo "== Debian $release: passed as root and as an ordinary user in $(elapsed);" \
    "Windows tests:$(windows_tests root)"
