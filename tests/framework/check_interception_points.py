#!/usr/bin/env python3
"""Checks the framework's last-resort exception routines in a linked image,
where the crash reporter will patch them: each is one whole function (no
".cold" part that a patched entry would miss, and none in the window
procedure whose frame every event report shows) with room for an entry jump,
and the routine whose call is redirected holds that call as a relative call
before its first return, where decoding from its start finds it.

usage: check_interception_points.py IMAGE NM OBJDUMP REPORT"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from junit_report import write_junit  # noqa: E402

# Routines patched at their entry, by their demangled names without parameters.
ENTRY_POINTS = [
    "TApplication::HandleException",
    "TApplication::ShowException",
    "ShowException",
    "RunThreadBody",
    "ThreadLastChance",
    "ThreadStartEntry",
    "CallSynchronizedMethod",
    "ServeQueue",
]
# Routines not patched but kept whole all the same: a report's frame in them
# must name the routine itself, not a split-off part of it.
WHOLE_ROUTINES = ["StdWndProc"]
# (routine, the routine its redirected call reaches)
CALL_POINTS = [("ServeQueue", "CallSynchronizedMethod")]
ENTRY_JUMP_SIZE = 5


# A part split off a routine that nm cannot demangle (a stdcall routine's
# "@16.cold"): written as the clone note that demangled names carry.
SPLIT_SUFFIX = re.compile(r"^(.*?)((?:\.(?:cold|part|isra|constprop)(?:\.\d+)?)+)$")


def clone_noted(full):
    m = SPLIT_SUFFIX.match(full)
    return "%s [clone %s]" % (m.group(1), m.group(2)) if m else full


def plain_name(full):
    """A demangled name without its clone notes, stdcall suffix and parameters."""
    name = re.sub(r"( \[clone [^]]*\])+$", "", full)
    name = re.sub(r"@\d+$", "", name)
    if name.endswith(")"):
        depth = 0
        for i in range(len(name) - 1, -1, -1):
            depth += {")": 1, "(": -1}.get(name[i], 0)
            if depth == 0:
                return name[:i]
    return name


def symbols(nm, image):
    """name without parameters -> list of (address, full demangled name), and
    the mangled names by address."""
    out = subprocess.run([nm, "-C", "--defined-only", image], check=True, capture_output=True, text=True).stdout
    found = {}
    for line in out.splitlines():
        parts = line.split(" ", 2)
        if len(parts) == 3 and parts[1] in ("T", "t"):
            full = clone_noted(parts[2])
            found.setdefault(plain_name(full), []).append((int(parts[0], 16), full))
    return found


def instructions(objdump, image, start, end):
    out = subprocess.run([objdump, "-d", "-M", "intel", "--start-address=%#x" % start, "--stop-address=%#x" % end,
                          image], check=True, capture_output=True, text=True).stdout
    for line in out.splitlines():
        m = re.match(r"^\s*([0-9a-f]+):\t((?:[0-9a-f]{2} )+)\s*\t?(.*)$", line)
        if m:
            yield int(m.group(1), 16), m.group(2).split(), m.group(3)


def main():
    image, nm, objdump, report = sys.argv[1:5]
    table = symbols(nm, image)
    starts = sorted(a for entries in table.values() for a, _ in entries)
    cases = []

    def check(name, ok, detail):
        cases.append((name, ok, detail))
        print(("ok    " if ok else "FAIL  ") + name + ("" if ok else ": " + detail))

    def whole(name):
        entries = table.get(name, [])
        plain = [e for e in entries if "[clone" not in e[1]]
        clones = [e[1] for e in entries if "[clone" in e[1]]
        check(name + " is one whole function", len(plain) == 1 and not clones,
              "found %s" % ([e[1] for e in entries] or "nothing"))
        return plain[0][0] if len(plain) == 1 else None

    for name in ENTRY_POINTS:
        start = whole(name)
        if start is None:
            continue
        following = [a for a in starts if a > start]
        size = (following[0] - start) if following else 0
        check(name + " has room for an entry jump", size >= ENTRY_JUMP_SIZE, "%d bytes" % size)

    for name in WHOLE_ROUTINES:
        whole(name)

    for name, callee in CALL_POINTS:
        start = whole(name)
        targets = [a for a, full in table.get(callee, []) if "[clone" not in full]
        if start is None or len(targets) != 1:
            continue
        following = [a for a in starts if a > start]
        found = False
        for address, raw, text in instructions(objdump, image, start, following[0] if following else start + 4096):
            if raw[0] == "e8" and len(raw) == 5:
                displacement = int.from_bytes(bytes(int(b, 16) for b in raw[1:]), "little", signed=True)
                if (address + 5 + displacement) & 0xFFFFFFFF == targets[0]:
                    found = True
                    break
            if text.startswith("ret"):
                break
        check("%s calls %s before its first return" % (name, callee), found, "no relative call found")

    return write_junit(report, "interception_points", "InterceptionPoints", cases)


if __name__ == "__main__":
    sys.exit(main())
