#!/usr/bin/env python3
"""The closing summary of `make test`: passed, failed and skipped tests per target, counted
from the runners' own result files, then every skipped test with its reason, then one plain
line `N passed, M failed, K skipped` for any reader of the log.

Native: CTest's JUnit file (one <testcase> per GoogleTest case; status "run", "fail", or
"notrun"/"disabled" for a skipped or disabled case). Under Wine every suite is one CTest test
that writes a GoogleTest XML file; CTest's JUnit file of that run says which suites ended
badly, so a suite that crashed before its XML was complete still counts as failed. A target
that could not run at all leaves a file NOT-RUN with the reason in its result folder.

Usage: test-summary.py BUILD_FOLDER; exit status 1 when any test failed or a result is
missing, else 0.
"""
import os
import re
import sys
import xml.etree.ElementTree as ElementTree


class Target:
    def __init__(self, name):
        self.name = name
        self.passed = 0
        self.failed = 0
        self.skipped = []  # (test, reason)
        self.failures = []  # test names
        self.not_run = None  # reason the whole target did not run

    def line(self):
        if self.not_run is not None:
            return f"{self.name}: not run ({self.not_run})"
        return f"{self.name}: {self.passed} passed, {self.failed} failed, {len(self.skipped)} skipped"


def read_xml(path):
    try:
        return ElementTree.parse(path).getroot()
    except (OSError, ElementTree.ParseError):
        return None


def skip_reason(output):
    """The reason GoogleTest printed for a skip: the lines after "Skipped" up to the
    "[  SKIPPED ]" line."""
    match = re.search(r"Skipped\n(.*?)\n\[  SKIPPED \]", output or "", re.S)
    if match and match.group(1).strip():
        return " ".join(match.group(1).split())
    return "no reason given"


def native(build, target):
    root = read_xml(os.path.join(build, "native", "ctest-junit.xml"))
    if root is None:
        target.not_run = "no CTest result file: the native suites did not run"
        target.failed += 1
        target.failures.append("native: no results")
        return
    for case in root.iter("testcase"):
        name = case.get("name", "?")
        status = case.get("status", "")
        if status == "run":
            target.passed += 1
        elif status in ("notrun", "disabled"):
            out = case.findtext("system-out") or ""
            reason = "disabled" if status == "disabled" else skip_reason(out)
            target.skipped.append((name, reason))
        else:
            target.failed += 1
            target.failures.append(name)


def wine(build, preset, target):
    results = os.path.join(build, preset, "test-results")
    reason_file = os.path.join(results, "NOT-RUN")
    if os.path.isfile(reason_file):
        with open(reason_file, encoding="utf-8", errors="replace") as f:
            target.not_run = " ".join(f.read().split()) or "no reason given"
        return
    suites = read_xml(os.path.join(results, "ctest-junit.xml"))
    if suites is None:
        target.not_run = "no CTest result file: the suites did not run"
        target.failed += 1
        target.failures.append(f"{preset}: no results")
        return
    for suite in suites.iter("testcase"):
        name = suite.get("name", "?")
        ended_badly = suite.get("status") not in ("run",)
        root = read_xml(os.path.join(results, name + ".xml"))
        counted_failures = 0
        if root is not None:
            for case in root.iter("testcase"):
                test = f"{case.get('classname', '?')}.{case.get('name', '?')}"
                skipped = case.find("skipped")
                if case.find("failure") is not None or case.find("error") is not None:
                    target.failed += 1
                    counted_failures += 1
                    target.failures.append(test)
                elif case.get("status") == "notrun" or case.get("result") == "suppressed":
                    target.skipped.append((test, "disabled"))
                elif skipped is not None or case.get("result") == "skipped":
                    message = (skipped.get("message") if skipped is not None else "") or ""
                    reason = " ".join(message.split("\n", 1)[-1].split()) or "no reason given"
                    target.skipped.append((test, reason))
                else:
                    target.passed += 1
        if ended_badly and counted_failures == 0:
            # Crashed, timed out or ended non-zero without a failing case on record.
            target.failed += 1
            target.failures.append(f"{name} (the suite ended badly: {suite.get('status')})")


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    targets = [Target("native (Linux)"), Target("Windows x64 (Wine)"), Target("Windows x86 (WOW64 Wine)")]
    native(build, targets[0])
    wine(build, "win64", targets[1])
    wine(build, "win32", targets[2])
    print("=== summary")
    for target in targets:
        print(target.line())
    for target in targets:
        for test, reason in target.skipped:
            print(f"skipped on {target.name}: {test}: {reason}")
        for test in target.failures:
            print(f"failed on {target.name}: {test}")
    for target in targets:
        if target.not_run is not None and target.failed == 0:
            print(f"skipped target {target.name}: {target.not_run}")
    passed = sum(t.passed for t in targets)
    failed = sum(t.failed for t in targets)
    # A target that could not run counts as one skip, so that the last line never reads as if
    # everything ran.
    skipped = sum(len(t.skipped) + (1 if t.not_run is not None and t.failed == 0 else 0) for t in targets)
    print(f"{passed} passed, {failed} failed, {skipped} skipped")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
