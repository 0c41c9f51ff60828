#!/bin/sh
# Runs a Windows program under Wine 64-bit in the given prefix (the build's own, never
# ~/.wine), creating the prefix on first use. Usage: wine-run.sh PREFIX PROGRAM [ARGS...]
prefix="$1"
shift
export WINEPREFIX="$prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$prefix"
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi
exec wine "$@"
