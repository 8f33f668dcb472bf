#!/bin/bash
# Makes and enters minimal Debian roots: the i386 root that runs 32-bit Wine
# (scripts/i386-root.sh) and the throwaway roots of scripts/fresh-debian.sh.
#
#   debian-root.sh make DIR ARCH SUITE... [-- PACKAGE...]
#       As root: debootstrap's minbase of the first SUITE for ARCH in DIR,
#       from the Debian mirror that this machine's apt sources name, with
#       every SUITE in its apt sources (a "-security" one from the machine's
#       security archive), then the PACKAGEs. Exits 3 when the mirror cannot
#       supply the base system, 1 when anything else fails; the reason is in
#       the last line.
#   debian-root.sh enter DIR [--share PATH]... [--admin] -- COMMAND...
#       Runs COMMAND in DIR, for root or any user, with nothing more than
#       bubblewrap gives an ordinary user: the root's own folders and the
#       shared host folders at their own paths, in a mount namespace that ends
#       with its last process, so the host keeps no mount. A top folder of the
#       root that holds a shared path gives way to it: a user may not make
#       mount points in a root that is not theirs. --admin (root only) is for
#       setting a root up: the whole root writable at /, all capabilities, and
#       a process namespace of its own, so that nothing started in it
#       outlives COMMAND.
set -eu

# The machine's Debian mirror and security archive, as its apt sources name
# them for its own release ("stable" as well as "trixie", say).
archive() {
    local codename
    codename=$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release)
    # shellcheck disable=SC2016 # apt's own fields, not parameters
    apt-get indextargets --format '$(RELEASE) $(CODENAME) $(REPO_URI)' 'Identifier: Packages' |
        awk -v want="$codename$1" '$1 == want || $2 == want { print $NF; exit }'
}

enter() {
    local dir=$1 admin="" entry name top path
    local -a shares=() options=()
    shift
    while [ "$1" != -- ]; do
        case $1 in
        --share) shares+=("$2") && shift ;;
        --admin) admin=1 ;;
        *) echo "debian-root.sh enter: unknown option $1" >&2 && return 2 ;;
        esac
        shift
    done
    shift
    # Root may write anywhere in a root it sets up, devices included
    # (debootstrap tries one at the root's top); others get its folders one by
    # one, so that the shared ones can sit in bubblewrap's own top folder.
    if [ -n "$admin" ]; then
        [ "$(id -u)" -eq 0 ] || { echo "debian-root.sh enter --admin: only root sets a root up" >&2 && return 2; }
        options=(--dev-bind "$dir" / --cap-add ALL --unshare-pid --die-with-parent)
    else
        for entry in "$dir"/* "$dir"/.[!.]*; do
            [ -e "$entry" ] || [ -L "$entry" ] || continue
            name=${entry##*/}
            case $name in dev | proc) continue ;; esac
            for path in "${shares[@]}"; do
                top=${path#/}
                [ "${top%%/*}" != "$name" ] || continue 2
            done
            if [ -L "$entry" ]; then
                options+=(--symlink "$(readlink "$entry")" "/$name")
            else
                options+=(--bind "$entry" "/$name")
            fi
        done
    fi
    options+=(--dev /dev --proc /proc)
    for path in "${shares[@]}"; do
        [ "$path" = / ] || options+=(--bind "$path" "$path")
    done
    if [ -e /etc/resolv.conf ] && [ -e "$dir/etc/resolv.conf" ]; then
        options+=(--ro-bind /etc/resolv.conf /etc/resolv.conf)
    fi
    bwrap "${options[@]}" -- "$@"
}

# Runs a command of setting up in the root that make_root makes (its "dir"),
# with a clean environment.
setup() {
    enter "$dir" --admin -- env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive \
        LC_ALL=C "$@"
}

make_root() {
    local dir=$1 arch=$2 mirror security suite
    local -a suites=() packages=()
    shift 2
    while [ $# -gt 0 ] && [ "$1" != -- ]; do suites+=("$1") && shift; done
    [ $# -eq 0 ] || { shift && packages=("$@"); }
    mirror=$(archive "")
    if [ -z "$mirror" ]; then
        echo "the machine's apt sources name no Debian mirror for its own release"
        return 1
    fi
    # The first stage only unpacks; the second runs in the new root itself,
    # so that its mounts stay in a namespace of their own.
    if ! debootstrap --foreign --arch="$arch" --variant=minbase "${suites[0]}" "$dir" "$mirror"; then
        echo "the mirror $mirror could not supply Debian ${suites[0]}'s base system for $arch"
        return 3
    fi
    # Its top folder is the root's /, which every account must be able to
    # enter, whatever the umask or the maker of the folder.
    chmod 755 "$dir"
    # The root gets a proc of its own. Debian 12's first stage links proc to
    # the host's, Debian 13's leaves an empty folder: only a link goes.
    if [ -L "$dir/proc" ]; then rm -f "$dir/proc"; fi
    mkdir -p "$dir/proc"
    setup /debootstrap/debootstrap --second-stage ||
        { echo "debootstrap's second stage failed in $dir (its log: $dir/debootstrap/debootstrap.log)"; return 1; }
    for suite in "${suites[@]}"; do
        if [ "${suite%-security}" != "$suite" ]; then
            security=$(archive -security)
            [ -n "$security" ] || { echo "the machine's apt sources name no Debian security archive"; return 1; }
            echo "deb $security $suite main"
        else
            echo "deb $mirror $suite main"
        fi
    done >"$dir/etc/apt/sources.list"
    # A mirror in mid-sync fails an update for one list: the install decides.
    setup apt-get -q update || echo "warning: apt-get update failed in $dir; going on with the lists it has"
    [ ${#packages[@]} -eq 0 ] ||
        setup apt-get -q install -y --no-install-recommends "${packages[@]}" ||
        { echo "could not install ${packages[*]} in $dir (apt's message above)"; return 1; }
    setup apt-get clean
}

case "${1:-}" in
make)
    [ $# -ge 4 ] || { echo "usage: $0 make DIR ARCH SUITE... [-- PACKAGE...]" >&2 && exit 2; }
    shift
    make_root "$@"
    ;;
enter)
    [ $# -ge 4 ] || { echo "usage: $0 enter DIR [--share PATH]... [--admin] -- COMMAND..." >&2 && exit 2; }
    shift
    enter "$@"
    ;;
*)
    echo "usage: $0 make DIR ARCH SUITE... [-- PACKAGE...] | enter DIR [--share PATH]... [--admin] -- COMMAND..." >&2
    exit 2
    ;;
esac
