#!/bin/sh
# Builds the win32 tree again, from a copy of the sources in another folder,
# and checks that the program and the release archive come out the same, byte
# for byte: check_rebuild.sh BUILD_DIR FILE...
set -eu
built=$1
shift
copy=$(mktemp -d)
trap 'rm -rf "$copy"' EXIT
cd "$(dirname "$0")/../.."
git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$copy" 2>/dev/null || true
# The archive's member times are the commit's, whichever copy is built.
export SOURCE_DATE_EPOCH="${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}"
cd "$copy"
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target package >/dev/null
for file in "$@"; do
    cmp "$built/$file" "build/win32/$file"
done
