#!/bin/sh
# A pure i386 Debian 12 root with 32-bit Wine, for machines that run i386 code
# but have no 32-bit Wine of their own: the host needs no i386 architecture,
# so the state of Debian's i386 lists for the host's packages does not matter.
# It is kept outside any clone, like an installed package, for every clone and
# run on this machine; remove it with "rm -rf /var/lib/tolvexan".
#
#   i386-root.sh build        builds it where it is missing or not usable (as
#                             root, else through sudo); on failure, the reason
#                             in the last line
#   i386-root.sh check        prints where it is and exits 0 if it is usable,
#                             else prints why not and exits 1
#   i386-root.sh enter CMD... runs CMD in it, with the project tree and the
#                             temporary folders (Xvfb's socket and authority
#                             file) at their own paths; nothing stays mounted
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
home=/var/lib/tolvexan
root=$home/i386-root
suite=bookworm
# What the root holds: a root built to another recipe is built again.
packages="wine wine32 fonts-wine fonts-ipafont-gothic locales"
recipe="Debian $suite and $suite-updates, i386, minbase: $packages; locale ja_JP.UTF-8"
marker=/etc/tolvexan-root

# bubblewrap enters it in a mount namespace of its own, which ends with the
# last process in it: the host keeps no mount. Later binds cover earlier ones.
enter() {
    base=$1
    shift
    set -- -- "$@"
    for dir in ${TMPDIR:+"$TMPDIR"} /tmp "$top"; do
        [ "$dir" = / ] || set -- --bind "$dir" "$dir" "$@"
    done
    exec bwrap --bind "$base" / --dev /dev --proc /proc "$@"
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

# The host's own Debian mirror, as its apt sources name it.
mirror() {
    # shellcheck disable=SC2016 # apt's own fields, not parameters
    apt-get indextargets --format '$(CODENAME) $(RELEASE) $(REPO_URI)' 'Identifier: Packages' |
        awk -v suite=$suite '$1 == suite || $2 == suite { print $3; exit }'
}

# Built beside its place and moved there only when whole, under a lock: an
# interrupted build leaves a folder that is not taken and is removed next time.
build() {
    mkdir -p "$home"
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
    url=$(mirror)
    if [ -z "$url" ]; then
        echo "the machine's apt sources name no mirror of Debian's $suite"
        return 1
    fi
    echo "Building the i386 Debian root from $url in $root (once for this machine)"
    # The first stage only unpacks; the second runs in the new root itself.
    debootstrap --foreign --arch=i386 --variant=minbase "$suite" "$new" "$url" ||
        { echo "debootstrap could not fetch or unpack $suite for i386 from $url"; return 1; }
    # The first stage links proc to the host's; the root gets its own.
    rm -f "$new/proc"
    mkdir -p "$new/proc"
    in_new() {
        bwrap --dev-bind "$new" / --dev /dev --proc /proc --ro-bind /etc/resolv.conf /etc/resolv.conf \
            env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive LC_ALL=C "$@"
    }
    in_new /debootstrap/debootstrap --second-stage ||
        { echo "debootstrap's second stage failed in $new (its log: $new/debootstrap/debootstrap.log)"; return 1; }
    printf 'deb %s %s main\ndeb %s %s-updates main\n' "$url" $suite "$url" $suite >"$new/etc/apt/sources.list"
    # shellcheck disable=SC2016 # expanded in the root
    in_new sh -c 'apt-get -q update && apt-get -q install -y --no-install-recommends $1 && apt-get clean &&
        sed -i "s/^# *ja_JP.UTF-8/ja_JP.UTF-8/" /etc/locale.gen && locale-gen' sh "$packages" ||
        { echo "could not install $packages in the i386 root (apt's message above)"; return 1; }
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
