#!/bin/sh
# A pure i386 Debian 12 root with 32-bit Wine, for machines that run i386 code
# but have no 32-bit Wine of their own: the host needs no i386 architecture,
# so the state of Debian's i386 lists for the host's packages does not matter,
# and Debian 13, which has no 32-bit Wine for amd64, is served alike. It is
# kept outside any clone, like an installed package, for every clone, account
# and run on this machine; remove it with "rm -rf /var/lib/tolvexan".
#
#   i386-root.sh build        builds it where it is missing or not usable (as
#                             root, else through sudo); on failure, the reason
#                             in the last line
#   i386-root.sh check        prints where it is and exits 0 if it is usable,
#                             else prints why not and exits 1
#   i386-root.sh enter CMD... runs CMD in it, for any account, with the
#                             project tree and the temporary folders (Xvfb's
#                             socket and authority file) at their own paths
set -eu
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
home=/var/lib/tolvexan
root=$home/i386-root
suite=bookworm
# What the root holds: a root built to another recipe is built again.
packages="wine wine32 fonts-wine fonts-ipafont-gothic locales"
recipe="Debian $suite and $suite-updates, i386, minbase: $packages; locale ja_JP.UTF-8"
marker=/etc/tolvexan-root

enter() {
    base=$1
    shift
    set -- -- "$@"
    for dir in ${TMPDIR:+"$TMPDIR"} /tmp "$top"; do
        set -- --share "$dir" "$@"
    done
    exec "$here/debian-root.sh" enter "$base" "$@"
}

check() {
    if [ ! -d "$1" ]; then
        echo "no i386 root at $1"
        return 1
    fi
    if [ "$(cat "$1$marker" 2>/dev/null)" != "$recipe" ]; then
        echo "the i386 root at $1 is not complete or was built to another recipe"
        return 1
    fi
    if ! errors=$( (enter "$1" /usr/lib/wine/wine --version) 2>&1 >/dev/null); then
        echo "the i386 root at $1 cannot be entered: $(echo "$errors" | head -n 1)"
        return 1
    fi
    echo "$1"
}

# Built beside its place and moved there only when whole, under a lock: an
# interrupted build leaves a folder that is not taken and is removed next time.
build() {
    mkdir -p "$home"
    chmod 755 "$home"
    exec 9>"$home/i386-root.lock"
    flock 9
    check "$root" >/dev/null && return 0
    new=$root.new
    if grep -q " $new/" /proc/mounts; then
        echo "something is mounted in $new: unmount it first"
        return 1
    fi
    rm -rf "$new" "$root.old"
    trap 'rm -rf "$new"' EXIT
    trap 'exit 1' HUP INT TERM
    echo "Building the i386 Debian root in $root (once for this machine)"
    # shellcheck disable=SC2086 # one word a package
    "$here/debian-root.sh" make "$new" i386 $suite $suite-updates -- $packages || return 1
    # shellcheck disable=SC2016 # expanded in the root
    "$here/debian-root.sh" enter "$new" --admin -- sh -c \
        'sed -i "s/^# *ja_JP.UTF-8/ja_JP.UTF-8/" /etc/locale.gen && locale-gen' ||
        { echo "could not make the Japanese locale in the i386 root"; return 1; }
    echo "$recipe" >"$new$marker"
    if ! reason=$(check "$new"); then
        echo "$reason"
        return 1
    fi
    [ ! -d "$root" ] || mv "$root" "$root.old"
    mv "$new" "$root"
    rm -rf "$root.old"
    echo "The i386 Debian root is ready: $root, $(du -sh "$root" | cut -f1)"
}

case "${1:-}" in
build)
    if [ "$(id -u)" -ne 0 ]; then exec sudo "$0" build; fi
    build
    ;;
check) check "$root" ;;
enter)
    shift
    enter "$root" "$@"
    ;;
*)
    echo "usage: $0 build | check | enter COMMAND..." >&2
    exit 2
    ;;
esac
