#!/bin/sh
# check-package.sh FOLDER: checks the driver package in FOLDER with
# tolvexan-check under Wine, as a vendor would before shipping it, and prints
# its report in UTF-8 on standard output. Exits with the check's status: 0 no
# error, 1 errors, 2 the check could not run.
#
# What runs is the shipped build/win32/tolvexan-check.exe under 32-bit Wine
# where this machine runs i386 code and 32-bit Wine could be installed;
# elsewhere a 64-bit build of the same sources from the Wine test tree. What
# is installed and built, and which one runs, goes to standard error.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)

if [ $# -ne 1 ]; then
    echo "usage: $0 FOLDER" >&2
    exit 2
fi
if [ ! -d "$1" ]; then
    if [ -e "$1" ]; then echo "$0: $1: not a folder" >&2; else echo "$0: $1: no such folder" >&2; fi
    exit 2
fi
# With a separator at its end the report names the files FOLDER/NAME.INF.
# One that starts with "-" would read as an option.
folder=${1%/}/
case $folder in -*) folder=./$folder ;; esac

# The 32-bit Wine of the i386 root sees only the project tree and the
# temporary folders of this machine.
visible() {
    case $1/ in "$top"/* | /tmp/*) return 0 ;; esac
    [ -n "${TMPDIR:-}" ] && case $1/ in "${TMPDIR%/}"/*) return 0 ;; esac
    return 1
}

(
    cd "$top"
    scripts/install-deps.sh sample
    cmake --preset win32 >/dev/null
    cmake --build --preset win32
) >&2
arch=$("$top/scripts/windows-arch.sh")
TOLVEXAN_WINE_ARCH=${arch%% *}
export TOLVEXAN_WINE_ARCH
if [ "$TOLVEXAN_WINE_ARCH" = 32 ]; then
    exe=$top/build/win32/tolvexan-check.exe
    case $arch in
    *" root at "*)
        where=$(cd "$folder" && pwd -P)
        if ! visible "$where"; then
            echo "$0: $1: the i386 root's Wine sees only $top and /tmp: copy the package there" >&2
            exit 2
        fi
        visible "$(pwd -P)" || folder=$where/
        ;;
    esac
    echo "Checking with the shipped program, $exe, under 32-bit Wine: ${arch#* }" >&2
else
    (cd "$top" && cmake --preset wine-tests >/dev/null && cmake --build --preset wine-tests --target tolvexan-check) >&2
    exe=$top/build/wine-tests/program/tolvexan-check.exe
    echo "Checking with $exe, a 64-bit build of the same sources, under 64-bit Wine: ${arch#* }" >&2
fi

# The check writes code page 932 with CRLF ends, its one line on why it could
# not run too. Both go through files, so that the check's own status is what
# this script exits with.
report=$(mktemp)
errors=$(mktemp)
trap 'rm -f "$report" "$errors"' EXIT
status=0
"$top/scripts/wine-run.sh" "$top/build/wineprefix-check-$TOLVEXAN_WINE_ARCH" "$exe" "$folder" \
    >"$report" 2>"$errors" || status=$?
iconv -f CP932 -t UTF-8 "$report" | tr -d '\r'
iconv -f CP932 -t UTF-8 "$errors" | tr -d '\r' >&2
exit $status
