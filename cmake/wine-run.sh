#!/bin/sh
# Runs a Windows program under Wine in the given prefix (the build's own, never ~/.wine),
# creating the prefix on first use. Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
# The prefix is a 64-bit one, as 64-bit Windows is: a 32-bit program runs in it under WOW64.
# The loader follows the program's machine type, read from its PE header: Debian's `wine`
# script always prefers the 32-bit loader once wine32 is installed, which would put every
# 64-bit program behind it (and fail outright where 32-bit programs cannot run).
prefix="$1"
shift
export WINEPREFIX="$prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# The COFF machine field of a PE file: 14c (i386), 8664 (x86-64); empty for anything else.
machine() {
    offset=$(od -A n -t u4 -j 60 -N 4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$offset" ] && od -A n -t x2 -j $((offset + 4)) -N 2 "$1" 2>/dev/null | tr -d ' '
}

case "$(machine "$1")" in
14c) loader=/usr/lib/wine/wine ;;
*) loader=/usr/lib/wine/wine64 ;;
esac
[ -x "$loader" ] || loader=wine
export WINELOADER="$loader"
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    wineserver -w
fi
exec "$loader" "$@"
