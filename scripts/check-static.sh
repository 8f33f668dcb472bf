#!/bin/sh
# Static checks of all C++ code: clang-format (the house style), clang-tidy
# (.clang-tidy; the Windows code with the MinGW targets and their C++ headers)
# and cppcheck. Reads the compile_commands.json of the host, fuzz, win32 and
# wine-tests trees: run it after they are configured. Exits non-zero on any
# finding.
set -eu
cd "$(dirname "$0")/.."

status=0
fail() { echo "$1"; status=1; }

sources=$(git ls-files '*.cpp' '*.h')

echo "== clang-format"
clang-format-14 --dry-run -Werror $sources || fail "clang-format: the code above is not in the house style (clang-format-14 -i FILE)"

# The MinGW C++ and Windows headers, for clang-tidy on the Windows code; not
# GCC's own intrinsics headers, which clang replaces with its own.
mingw_includes() {
    echo | "$1" -xc++ -E -v - 2>&1 |
        sed -n '/#include <...> search starts here/,/End of search list/p' |
        grep -E '^ /.*(/c\+\+|mingw32/include)' | sed 's/^ */--extra-arg-before=-isystem/'
}

tidy() {
    tree=$1; shift
    # shellcheck disable=SC2046
    clang-tidy-14 --quiet -p "build/$tree" "$@" 2>&1 | grep -v -E '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' || true
}

echo "== clang-tidy"
files_in() { jq -r '.[].file' "build/$1/compile_commands.json" | grep -v -E '/googletest/|/build/' | sort -u; }
for tree in host fuzz win32 wine-tests; do
    [ -f "build/$tree/compile_commands.json" ] || { fail "build/$tree is not configured"; continue; }
done
out=$(
    tidy host $(files_in host)
    tidy fuzz $(files_in fuzz)
    # shellcheck disable=SC2046
    tidy win32 --extra-arg=--target=i686-w64-mingw32 $(mingw_includes i686-w64-mingw32-g++-win32) $(files_in win32)
    # shellcheck disable=SC2046
    tidy wine-tests --extra-arg=--target=x86_64-w64-mingw32 $(mingw_includes x86_64-w64-mingw32-g++-posix) $(files_in wine-tests)
)
if [ -n "$out" ]; then
    echo "$out"
    fail "clang-tidy: findings above"
fi

echo "== cppcheck"
cppcheck --quiet --error-exitcode=1 --std=c++17 --language=c++ --inline-suppr \
    --enable=warning,style,performance,portability --library=googletest --library=windows \
    --suppress=missingIncludeSystem --suppress=unmatchedSuppression --suppress=useStlAlgorithm \
    --suppress='unusedStructMember:tests/*' \
    -I setup -I frame -I shell -I res -I tests/wine -I tests/host \
    -D_WIN32 -DWINAPI= -DCALLBACK= \
    setup frame shell tests bench || fail "cppcheck: findings above"

[ $status -eq 0 ] && echo "static checks: clean"
exit $status
