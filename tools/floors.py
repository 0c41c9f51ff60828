#!/usr/bin/env python3
"""Fails when an include points up: a file may include its own floor and the floors below.
Quoted includes are resolved beside the file, then below framework/ and app/ (as the build
does); generated headers and system headers are not checked."""
import os, re, subprocess, sys

# Lowest first; folders on one line share a floor.
FLOORS = [
    ["framework/platform"],
    ["resources"],
    ["framework/strings"],
    ["framework/runtime"],
    ["framework/files"],
    ["framework/parsing", "framework/process"],
    ["framework/profiling"],
    ["app"],
    ["inspector"],
]


def floor_of(path):
    for level, folders in enumerate(FLOORS):
        if any(path.startswith(folder + "/") for folder in folders):
            return level
    return None


os.chdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
files = subprocess.run(["git", "ls-files", "*.cpp", "*.h", "*.inc", "*.rc"],
                       capture_output=True, text=True, check=True).stdout.split()
upward = 0
for source in files:
    own = floor_of(source)
    if own is None:
        continue
    with open(source, encoding="utf-8", errors="replace") as text:
        for number, line in enumerate(text, 1):
            match = re.match(r'\s*#\s*include\s+"([^"]+)"', line)
            if not match:
                continue
            for base in (os.path.dirname(source), "framework", "app"):
                target = os.path.normpath(os.path.join(base, match.group(1)))
                if os.path.isfile(target):
                    break
            else:
                continue
            level = floor_of(target)
            if level is not None and level > own:
                print(f"{source}:{number}: includes {target}, a floor above")
                upward += 1
if upward:
    print(f"floors: {upward} include(s) point up (floor table in tools/floors.py)")
    sys.exit(1)
print(f"floors: {len(files)} files, every include points down")
