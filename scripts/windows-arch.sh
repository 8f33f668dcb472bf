#!/bin/sh
# Prints which Wine the Windows tests and the sample use here, and why, on one
# line, one of three:
#   "32 ..." this machine runs i386 code and has 32-bit Wine of its own;
#   "32 ... root at DIR ..." it runs i386 code and 32-bit Wine runs in the
#            i386 Debian root (scripts/i386-root.sh);
#   "64 ..." and why neither can run the shipped 32-bit tolvexan.exe.
# TOLVEXAN_FORCE_64BIT=1 forces "64", to try the fallback on any machine.
# "windows-arch.sh code" leaves Wine out and tells only whether i386 code runs:
# whether 32-bit Wine is worth setting up.
#
# The probe links a tiny i386 program with binutils and runs it beside a copy
# of the native "true", in the build folder (where the host tests must run
# too, whereas the temporary folder may forbid running programs): where even
# "true" does not run, the probe found nothing and says so.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
if [ "${TOLVEXAN_FORCE_64BIT:-}" = 1 ]; then
    echo "64 TOLVEXAN_FORCE_64BIT=1 asks for the 64-bit fallback"
    exit 0
fi
mkdir -p "$top/build"
probe=$(mktemp -d "$top/build/arch-probe.XXXXXX")
trap 'rm -rf "$probe"' EXIT
# shellcheck disable=SC2016 # assembly: $42 and $0x80 are immediates, not parameters
printf '.globl _start\n_start:\n movl $1, %%eax\n movl $42, %%ebx\n int $0x80\n' >"$probe/exit.s"
if ! as --32 -o "$probe/exit.o" "$probe/exit.s" 2>"$probe/errors" ||
    ! ld -m elf_i386 -o "$probe/exit" "$probe/exit.o" 2>>"$probe/errors"; then
    echo "64 could not link the i386 probe with binutils: $(head -n 1 "$probe/errors")"
    exit 0
fi
cp /bin/true "$probe/true"
if ! "$probe/true" 2>"$probe/errors"; then
    echo "64 could not run any program in $top/build, so whether i386 code runs is unknown: $(head -n 1 "$probe/errors")"
    exit 0
fi
# A kernel without i386 support refuses the program; the shell may then read
# it as a script, so only the probe's own exit status counts.
status=0
"$probe/exit" 2>/dev/null || status=$?
if [ "$status" != 42 ]; then
    echo "64 this machine runs no 32-bit code: its kernel refuses i386 programs"
elif [ "${1:-}" = code ]; then
    echo "32 this machine runs i386 code"
elif [ -x /usr/lib/wine/wine ] && [ -x /usr/lib/wine/wineserver32 ]; then
    echo "32 this machine runs i386 code and 32-bit Wine is installed"
elif root=$("$top/scripts/i386-root.sh" check); then
    echo "32 this machine runs i386 code, and 32-bit Wine in the i386 Debian root at $root"
else
    echo "64 this machine runs i386 code, but has no 32-bit Wine and $root (scripts/install-deps.sh builds it, and says why it could not)"
fi
