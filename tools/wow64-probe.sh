#!/bin/sh
# Says whether this machine can run the 32-bit Windows build under WOW64 Wine: exit 0 when
# it can, else exit 1 with the reason on standard output. Usage: wow64-probe.sh [MARKER],
# MARKER being the file in which `make deps-i386` left the reason it could not install.
if [ -n "$1" ] && [ -s "$1" ]; then
    cat "$1"
    exit 1
fi
if [ ! -e /usr/lib/wine/wine ]; then
    echo "32-bit Wine (wine32:i386) is not installed"
    exit 1
fi
# The 32-bit loader itself is a 32-bit Linux program: a kernel whose 32-bit emulation is off
# (ia32_emulation=off, or no IA32_EMULATION) refuses it with "Exec format error".
if ! error=$(/usr/lib/wine/wine --version 2>&1 >/dev/null); then
    echo "this machine runs no 32-bit programs, so no 32-bit Wine (/usr/lib/wine/wine: ${error##*: }; the kernel's 32-bit emulation is off, boot parameter ia32_emulation=on turns it on)"
    exit 1
fi
exit 0
