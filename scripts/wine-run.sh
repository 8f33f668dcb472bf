#!/bin/sh
# Runs a Windows program under Wine: wine-run.sh PREFIX PROGRAM [ARGUMENTS...]
# The prefix is private to a build tree: Japanese (code page 932), with the
# Japanese dialog fonts mapped to installed ones. Without a display it starts
# its own Xvfb. 32-bit Wine where this machine runs i386 code, the host's own
# or else the i386 Debian root's; else 64-bit (scripts/windows-arch.sh;
# TOLVEXAN_WINE_ARCH=32 or 64 says it outright).
# "wine-run.sh PREFIX wineserver -k" ends the prefix's Wine at once.
# One prefix serves one architecture only.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
arch=${TOLVEXAN_WINE_ARCH:-$("$here/windows-arch.sh" | cut -d' ' -f1)}
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver64
winearch=win64
if [ "$arch" = 32 ]; then
    wine=/usr/lib/wine/wine
    server=/usr/lib/wine/wineserver32
    winearch=win32
fi
prefix=$1
shift

export TOLVEXAN_WINE_ARCH="$arch" WINEPREFIX="$prefix" WINEARCH=$winearch WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"

if [ -z "${DISPLAY:-}" ] && [ "$1" != wineserver ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$prefix" "$@"
fi

# Without 32-bit Wine here, this runs again in the i386 root, which has it.
# Xvfb stays on the host: the root shares its temporary folder.
if [ "$arch" = 32 ] && ! { [ -x "$wine" ] && [ -x "$server" ]; }; then
    exec "$here/i386-root.sh" enter "$here/wine-run.sh" "$prefix" "$@"
fi

if [ "$1" = wineserver ]; then
    shift
    exec "$server" "$@"
fi

if [ ! -f "$prefix/.tolvexan-ready" ]; then
    mkdir -p "$(dirname "$prefix")"
    (
        flock 9
        if [ ! -f "$prefix/.tolvexan-ready" ]; then
            "$wine" wineboot -i >/dev/null 2>&1
            fonts='HKCU\Software\Wine\Fonts\Replacements'
            "$wine" reg add "$fonts" /v "ＭＳ ゴシック" /d IPAGothic /f >/dev/null 2>&1
            "$wine" reg add "$fonts" /v "ＭＳ Ｐゴシック" /d IPAPGothic /f >/dev/null 2>&1
            # The caption buttons are glyphs of Marlett, which Wine does not
            # find in its own font folder: without it they show "0 1 r".
            cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
            # Wine manages its windows itself: there is no window manager on
            # Xvfb, and one would only make minimising race with it.
            "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
            "$server" -w
            touch "$prefix/.tolvexan-ready"
        fi
    ) 9>"$prefix.lock"
fi

# Keep one server for the prefix between the many short test programs. It
# must not hold our output open: whoever reads it would wait for the server.
"$server" -p60 </dev/null >/dev/null 2>&1 || true

# Wine starts long-lived helpers (services, the desktop process) that inherit
# our output. Whoever reads that output, CTest for one, would wait for them to
# end as well: pass the program's output on through files instead. Wine's
# traces go to standard error; a test that reads them names a file for it.
output=$(mktemp)
errors=${TOLVEXAN_WINE_LOG:-$(mktemp)}
status=0
"$wine" "$@" >"$output" 2>>"$errors" || status=$?
cat "$output"
rm -f "$output"
if [ -z "${TOLVEXAN_WINE_LOG:-}" ]; then
    cat "$errors" >&2
    rm -f "$errors"
fi
exit $status
