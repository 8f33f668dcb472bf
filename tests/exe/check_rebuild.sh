#!/bin/sh
# Builds the win32 tree and its release archive again from a copy of the sources in another folder and
# checks that the files come out the same, byte for byte: check_rebuild.sh same-user|other-user BUILD FILE...
# other-user builds as user 65534 with umask 077 in another time zone: only root can, else it is skipped (77).
set -eu
builder=$1 built=$2
shift 2
as=""
if [ "$builder" = other-user ]; then
    [ "$(id -u)" = 0 ] || { echo "skipped: only root can build as another user"; exit 77; }
    as="setpriv --reuid=65534 --regid=65534 --clear-groups env TZ=JST-9"
fi
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cd "$(dirname "$0")/../.."
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy" 2>/dev/null || true
# The archive's member times are the commit's, whichever copy is built.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"
[ -z "$as" ] || chown -R 65534:65534 "$copy"
cd "$copy"
$as sh -c "${as:+umask 077 && }cmake --preset win32 >/dev/null && cmake --build --preset win32 --target package >/dev/null"
for file in "$@"; do
    cmp "$built/$file" "build/win32/$file" || differ=1
done
exit "${differ:-0}"
