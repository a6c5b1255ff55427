#!/usr/bin/env python3
"""Runs the stack oracle driver under Wine twice - the chain library at its
preferred base, then moved elsewhere - and checks the traces of the known
call chains: the library's frames name the right functions in the right
order, every line number is the one addr2line gives for the same address
(the outermost place of addr2line -i), the checksums stay equal across the two load addresses and differ between
different chains. Writes a JUnit-style report with one case per check."""
import argparse
import subprocess
import os
import sys
from collections import defaultdict

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../..", "support"))
from junit_report import write_junit  # noqa: E402
from addr2line_oracle import outermost_places, plain_name  # noqa: E402

SCENARIOS = {
    0: ("plain calls", ["PlainInner", "PlainMiddle", "PlainOuter", "ChainsRun"]),
    1: ("function pointers", ["PointerInner", "PointerMiddle", "PointerOuter", "ChainsRun"]),
    2: ("virtual methods", ["TInnerStep.Run", "TOuterStep.Run", "VirtualStart", "ChainsRun"]),
    # A, B, A, B, A is shown once repeated: A, B, A.
    3: ("recursion", ["RecurseA", "RecurseB", "RecurseA", "RecurseStart", "ChainsRun"]),
    4: ("frameless frame", ["FramelessLeaf", "FramelessCaller", "ChainsRun"]),
    5: ("frameless loop", ["SpinningLeaf", "SpinningCaller", "ChainsRun"]),
    6: ("system callback", ["EnumCallback", "EnumStart", "ChainsRun"]),
    7: ("fault in a frameless leaf", ["FaultingLeaf", "FaultingCaller", "ChainsRun"]),
}


def run_driver(args, relocate):
    command = [args.wine_run, args.driver] + (["--relocate"] if relocate else [])
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=1200)
    text = result.stdout.decode("latin-1")
    run = {"base": None, "preferred": None, "traces": {}, "lines": defaultdict(list), "texts": {}}
    lines = text.splitlines()
    i = 0
    while i < len(lines):
        fields = lines[i].rstrip("\r").split("\t")
        if fields[0] == "BASE":
            run["base"], run["preferred"] = int(fields[1], 16), int(fields[2], 16)
        elif fields[0] == "TRACE":
            run["traces"][(int(fields[1]), fields[2])] = (fields[3], fields[4])
        elif fields[0] == "LINE":
            run["lines"][(int(fields[1]), fields[2])].append(
                (int(fields[3], 16), fields[4], fields[5], int(fields[6])))
        elif fields[0] == "TEXT":
            key = (int(fields[1]), fields[2])
            body = []
            i += 1
            while i < len(lines) and lines[i].rstrip("\r") != "END":
                body.append(lines[i].rstrip("\r"))
                i += 1
            run["texts"][key] = "\n".join(body)
        i += 1
    return run, result.returncode, text


def addr2line(args, library, addresses):
    return [(function, line) for function, _, line in outermost_places(args.addr2line, library, addresses)]


def main():
    parser = argparse.ArgumentParser()
    for option in ("--driver", "--library", "--addr2line", "--wine-run", "--report"):
        parser.add_argument(option, required=True)
    args = parser.parse_args()
    library_name = args.library.replace("\\", "/").split("/")[-1].lower()
    cases = []

    def check(name, ok, detail=""):
        cases.append((name, ok, detail))
        print(("ok    " if ok else "FAIL  ") + name + ("" if ok else "\n      " + detail.replace("\n", "\n      ")))

    runs = {}
    for relocate in (False, True):
        run, code, raw = run_driver(args, relocate)
        runs[relocate] = run
        check("driver %s runs" % ("moved" if relocate else "in place"), code == 0 and run["base"] is not None,
              "exit %d, output:\n%s" % (code, raw[-2000:]))
    if runs[False]["base"] is not None and runs[True]["base"] is not None:
        check("the library loads at its preferred base, then elsewhere",
              runs[False]["base"] == runs[False]["preferred"] and runs[True]["base"] != runs[False]["base"],
              "bases %x and %x, preferred %x" % (runs[False]["base"], runs[True]["base"], runs[False]["preferred"]))

    for relocate, run in runs.items():
        where = "moved" if relocate else "in place"
        if run["base"] is None:
            continue
        for (scenario, mode), entries in sorted(run["lines"].items()):
            title, expected = SCENARIOS[scenario]
            ours = [e for e in entries if e[1].lower() == library_name]
            names = [plain_name(e[2]) for e in ours]
            check("%s, %s, %s: functions in order" % (title, mode, where), names == expected,
                  "expected %s\ngot      %s\ntrace:\n%s" % (expected, names, run["texts"].get((scenario, mode), "")))
            moved = [e[0] - run["base"] + run["preferred"] for e in ours]
            oracle = addr2line(args, args.library, moved)
            mismatches = [(hex(e[0]), e[2], e[3], o) for e, o in zip(ours, oracle)
                          if e[3] != o[1] or plain_name(o[0]) != plain_name(e[2])]
            check("%s, %s, %s: lines match addr2line" % (title, mode, where), ours and not mismatches,
                  "differences (address, function, line, addr2line): %s" % mismatches)

    if runs[False]["base"] is not None and runs[True]["base"] is not None:
        for key in sorted(runs[False]["traces"]):
            title = SCENARIOS[key[0]][0]
            a, b = runs[False]["traces"][key], runs[True]["traces"].get(key)
            check("%s, %s: checksums equal at both load addresses" % (title, key[1]), a == b,
                  "in place %s, moved %s" % (a, b))
        own = {k[0]: v[1] for k, v in runs[False]["traces"].items() if k[1] == "own"}
        distinct = len(set(own.values())) == len(own)
        check("different chains give different checksums", distinct and len(own) > 1, "checksum 2 per chain: %s" % own)

    return write_junit(args.report, "crash_stack_oracle", "StackOracle", cases)


if __name__ == "__main__":
    sys.exit(main())
