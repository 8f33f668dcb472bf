#!/bin/sh
# Prints which Wine the Windows tests use here: "32" when this machine runs
# i386 code, so that the shipped 32-bit tolvexan.exe itself can be tested,
# else "64". The probe links and runs a tiny i386 program with binutils.
# TOLVEXAN_FORCE_64BIT=1 forces "64", to try the fallback on any machine.
set -eu
if [ "${TOLVEXAN_FORCE_64BIT:-}" = 1 ]; then
    echo 64
    exit 0
fi
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
# shellcheck disable=SC2016 # assembly: $1 and $0x80 are immediates, not parameters
printf '.globl _start\n_start:\n movl $1, %%eax\n xorl %%ebx, %%ebx\n int $0x80\n' >"$probe/exit.s"
if as --32 -o "$probe/exit.o" "$probe/exit.s" 2>/dev/null &&
    ld -m elf_i386 -o "$probe/exit" "$probe/exit.o" 2>/dev/null &&
    "$probe/exit" 2>/dev/null; then
    echo 32
else
    echo 64
fi
