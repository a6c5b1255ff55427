#!/usr/bin/env python3
"""Runs a test script that has no report of its own and writes its outcome
as a one-case JUnit report, so the closing count of scripts/test sees it.
Usage: run_as_junit.py REPORT NAME -- COMMAND [ARGS...]"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from junit_report import write_junit  # noqa: E402


def main():
    report, name, separator, *command = sys.argv[1:]
    if separator != "--" or not command:
        sys.exit(__doc__)
    result = subprocess.run(command, capture_output=True, text=True, errors="replace")
    sys.stdout.write(result.stdout)
    sys.stderr.write(result.stderr)
    detail = "exit code %d: %s" % (result.returncode, (result.stdout + result.stderr).strip()[-2000:])
    write_junit(report, name, name, [(name, result.returncode == 0, detail)])
    return result.returncode


if __name__ == "__main__":
    sys.exit(main())
