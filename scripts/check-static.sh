#!/bin/sh
# Static checks, with the checkers of Debian 12 or 13 alike: clang-format (the
# house style) of all C++ code; shellcheck of every shell script and pyflakes
# of every Python script; clang-tidy (.clang-tidy) and cppcheck of the
# program's own code, as the win32 tree compiles it for 32-bit Windows with the
# MinGW headers. Run it after the win32 tree is configured. Exits non-zero on
# any finding.
set -eu
cd "$(dirname "$0")/.."

status=0
fail() { echo "$1"; status=1; }

echo "== clang-format"
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror ||
    fail "clang-format: the code above is not in the house style (clang-format -i FILE)"

echo "== shellcheck"
git ls-files -z '*.sh' .ci/run | xargs -0 shellcheck || fail "shellcheck: findings above"

echo "== pyflakes"
git ls-files -z '*.py' | xargs -0 pyflakes3 || fail "pyflakes: findings above"

echo "== clang-tidy"
[ -f build/win32/compile_commands.json ] || fail "build/win32 is not configured"
# The MinGW C++ and Windows headers; not GCC's own intrinsics headers, which
# clang replaces with its own.
includes=$(echo | i686-w64-mingw32-g++-win32 -xc++ -E -v - 2>&1 |
    sed -n '/#include <...> search starts here/,/End of search list/p' |
    grep -E '^ /.*(/c\+\+|mingw32/include)' | sed 's/^ */--extra-arg-before=-isystem/')
# Given several files, newer clang-tidy says which one it reads: not a finding.
# shellcheck disable=SC2046,SC2086 # one word an option or a file, as above
out=$(clang-tidy --quiet -p build/win32 --extra-arg=--target=i686-w64-mingw32 $includes \
    $(jq -r '.[].file' build/win32/compile_commands.json | grep -E '/(setup|frame|shell|check)/' | sort -u) 2>&1 |
    grep -v -E -e '^[0-9]+ warnings? (and [0-9]+ errors? )?generated\.$' -e '^\[[0-9]+/[0-9]+\] Processing file ' ||
    true)
[ -z "$out" ] || fail "$out
clang-tidy: findings above"

echo "== cppcheck"
# Newer cppcheck says where it limits its analysis of branches: not a finding.
cppcheck --quiet --error-exitcode=1 --std=c++17 --language=c++ --inline-suppr \
    --enable=warning,style,performance,portability --library=windows \
    --suppress=missingIncludeSystem --suppress=unmatchedSuppression --suppress=normalCheckLevelMaxBranches \
    -I setup -I frame -I shell -I check -I res -D_WIN32 -DWINAPI= -DCALLBACK= \
    setup frame shell check || fail "cppcheck: findings above"

[ $status -eq 0 ] && echo "static checks: clean"
exit $status
