#!/usr/bin/env python3
"""Adds up the GoogleTest XML reports of the given build folders and prints
the closing line "N passed, N failed, N skipped". A test program that CTest
ran but that left no report (it crashed) counts as one failure; so does each
build that failed. Exits non-zero when anything failed."""
import re
import sys
import xml.etree.ElementTree as ET
from pathlib import Path


def count_report(path):
    passed = failed = skipped = 0
    root = ET.parse(path).getroot()
    for case in root.iter("testcase"):
        if case.find("failure") is not None or case.find("error") is not None:
            failed += 1
        elif case.find("skipped") is not None or case.get("result") == "skipped" \
                or case.get("status") == "notrun":
            skipped += 1
        else:
            passed += 1
    return passed, failed, skipped


def ctest_programs(build):
    """Names of the test programs CTest ran last in this build and whether each passed."""
    log = build / "Testing" / "Temporary" / "LastTest.log"
    programs = {}
    if not log.exists():
        return programs
    name = None
    for line in log.read_text(errors="replace").splitlines():
        match = re.match(r"^\d+/\d+ Test: (.*)$", line)
        if match:
            name = match.group(1).strip()
        elif line.startswith('Test Passed.') and name:
            programs[name] = True
        elif line.startswith('Test Failed.') and name:
            programs[name] = False
        elif line.startswith('Test time =') and name and name not in programs:
            programs[name] = False
    return programs


def main():
    *builds, build_failures = sys.argv[1:]
    passed = failed = skipped = 0
    failed += int(build_failures)
    for build in map(Path, builds):
        reports = build / "test-reports"
        for name, ok in ctest_programs(build).items():
            report = reports / f"{name}.xml"
            if report.exists():
                p, f, s = count_report(report)
                passed, failed, skipped = passed + p, failed + f, skipped + s
                if not ok and f == 0:
                    print(f"test: {build.name}/{name} failed outside its tests (sanitizer or exit code)")
                    failed += 1
            else:
                print(f"test: {build.name}/{name} left no report", file=sys.stderr)
                failed += 1
    print(f"{passed} passed, {failed} failed, {skipped} skipped")
    return 1 if failed or passed == 0 else 0


if __name__ == "__main__":
    sys.exit(main())
