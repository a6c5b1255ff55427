#!/usr/bin/env python3
"""Runs the crash-test build of Ravelin once per scenario under Wine, each in
a directory of its own, and checks what the crash reporter left: the catch
point and outcome its handler logged, whether the process survived, and the
bug report it appended to "bugreport.txt".

With --addr2line and --objdump every frame of every report that lies in the
program's own image is tied to the mingw binutils on the same image (see
frame_oracle.py). The same crash in three new processes is merged into one
report with "count: 3".

usage: run_crash_scenarios.py EXE WINE_RUN REPORT [SCENARIO...] [--addr2line A --objdump O]"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../..", "support"))
from junit_report import write_junit  # noqa: E402
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from frame_oracle import FrameOracle  # noqa: E402

SOURCE = "CrashScenarios.cpp"


class Scenario:
    def __init__(self, name, catch_point, exit_code, exception_class, message, raiser, context=False,
                 reports=1, kind=0, log=()):
        self.name, self.catch_point, self.exit_code = name, catch_point, exit_code
        self.exception_class, self.message, self.raiser = exception_class, message, raiser
        self.context, self.reports, self.kind, self.log = context, reports, kind, log


SCENARIOS = [
    Scenario("event-handler", 5, 0, "EConvertError", "crash test: event handler.", "RaiseInEventHandler"),
    Scenario("window-procedure", 5, 0, "EConvertError", "crash test: window procedure.", "TRaisingForm.WndProc"),
    # Under qemu-user every fault reaches Wine as an illegal instruction and
    # a division by zero as an invalid floating point operation: the system
    # exception object follows what the system reports, so either is right.
    Scenario("access-violation", 14, 1, ("EAccessViolation", "EExternalException"),
             ("Access violation at address", "External exception C000001D."), "ReadForbiddenMemory", context=True),
    Scenario("divide-by-zero", 14, 1, ("EDivByZero", "EMathError"),
             ("Division by zero.", "Invalid floating point operation."), "DivideByZero", context=True),
    # Not run by default: Wine under qemu-user dies of the signal before any
    # handler runs (exit -11), so no program could report it there.
    Scenario("stack-overflow", 14, 1, "EStackOverflow", "Stack overflow.", "RecurseWithoutEnd", context=True),
    Scenario("terminate", 2, 1, "BcbTermination", "Abnormal program termination.", "TerminateAbnormally"),
    Scenario("worker-body", 17, 0, "EConvertError", "crash test: worker body.", "TFailingBodyThread.Execute"),
    Scenario("hand-over", 10, 0, "EConvertError", "crash test: hand-over.", "THandOverThread.RaiseOnMainThread",
             log=("hand-over returned",)),
    Scenario("last-chance", 13, 0, "EConvertError", "crash test: last chance.", "TLastChanceThread.DoTerminate"),
    Scenario("raw-thread", 16, 0, "EConvertError", "crash test: raw thread.", "RawThreadProcedure"),
    Scenario("repeat", 5, 0, "EConvertError", "crash test: event handler.", "RaiseInEventHandler", reports=2),
    Scenario("freeze", 1, 0, None, "The application seems to be frozen.", "Tick", kind=1),
]

# Run only when named on the command line.
OPT_IN = {"stack-overflow"}
# Also run three times in new processes beside one report file: an event
# handler on the main thread and a thread body, whose stacks hold what
# earlier messages and calls left behind.
MERGED = ("event-handler", "worker-body")

HEADER_ORDER = ["date/time", "computer name", "user name", "operating system", "system language",
                "system up time", "program up time", "processor", "physical memory", "free disk space",
                "display mode", "process id", "allocated memory", "command line", "executable",
                "exec. date/time", "compiled with", "Ostrel version", "callstack crc", "exception number"]


def header_of(report):
    fields = []
    for line in report.split("\r\n"):
        if not line:
            break
        name, sep, value = line.partition(": ")
        if sep:
            fields.append((name.rstrip(), value))
    return fields


def sections_of(report):
    sections, name = {}, None
    for block in report.split("\r\n\r\n")[1:]:
        lines = block.split("\r\n")
        name = lines[0].rstrip(":")
        sections[name] = lines[1:]
    return sections


def run(exe, wine_run, scenario, directory=None):
    """One process of the scenario; in `directory` when given (kept, so that
    several processes append to one report file), else in a fresh one."""
    keep = directory is not None
    directory = directory or tempfile.mkdtemp(prefix="crash-" + scenario.name + "-")
    target = os.path.join(directory, os.path.basename(exe))
    if not os.path.exists(target):
        shutil.copy(exe, target)
    started = time.time()
    try:
        process = subprocess.run([wine_run, target, "/crashtest:" + scenario.name], cwd=directory,
                                 capture_output=True, timeout=180)
        exit_code = process.returncode
    except subprocess.TimeoutExpired:
        exit_code = None
    # Wine may return before the last write of a detached child lands.
    for _ in range(20):
        if os.path.exists(os.path.join(directory, "bugreport.txt")):
            break
        time.sleep(0.25)
    read = lambda name: open(os.path.join(directory, name), encoding="cp1252", newline="").read() \
        if os.path.exists(os.path.join(directory, name)) else ""
    result = exit_code, read("crashtest.log"), read("bugreport.txt"), time.time() - started
    if not keep:
        shutil.rmtree(directory, ignore_errors=True)
    return result


def reports_in(text):
    # Each report is followed by two line breaks; the next starts with "date/time".
    return [r for r in re.split(r"(?<=\r\n\r\n)(?=date/time)", text) if r.startswith("date/time")]


def check_scenario(exe, wine_run, s, check, oracle=None):
    exit_code, log, reports, seconds = run(exe, wine_run, s)
    print("-- %s: exit %s after %.1f s" % (s.name, exit_code, seconds))
    check(s.name, "exit code", exit_code == s.exit_code, "exit code %s, expected %s" % (exit_code, s.exit_code))
    logged = re.findall(r"^report kind=(\d+) catchpoint=(\d+) continue=(\d)", log, re.M)
    check(s.name, "catch point", len(logged) == s.reports and all(int(c) == s.catch_point and int(k) == s.kind
                                                                  for k, c, _ in logged),
          "logged %s, expected %d x catch point %d kind %d" % (logged, s.reports, s.catch_point, s.kind))
    check(s.name, "survival", ("survived" in log) == (s.exit_code == 0), "log: %r" % log)
    for line in s.log:
        check(s.name, "log line " + line, line in log, "log: %r" % log)
    texts = reports_in(reports)
    if not check(s.name, "one report in the file", len(texts) == 1, "%d reports in %r" % (len(texts), reports[:400])):
        return
    report = texts[0]
    header = dict(header_of(report))
    names = [n for n, _ in header_of(report)]
    present = [n for n in HEADER_ORDER if n in names]
    check(s.name, "header order", present == [n for n in names if n in HEADER_ORDER] and
          {"date/time", "executable", "process id", "callstack crc", "exception number"} <= set(names),
          "header names %s" % names)
    check(s.name, "callstack crc", re.fullmatch(r"(\$[0-9a-f]{8}, ){2}\$[0-9a-f]{8}", header.get("callstack crc", ""))
          is not None, "callstack crc %r" % header.get("callstack crc"))
    if s.exception_class:
        classes = s.exception_class if isinstance(s.exception_class, tuple) else (s.exception_class,)
        messages = s.message if isinstance(s.message, tuple) else (s.message,)
        # The class and the message belong together.
        pair = classes.index(header["exception class"]) if header.get("exception class") in classes else -1
        check(s.name, "exception class", pair >= 0, "exception class %r" % header.get("exception class"))
        check(s.name, "exception message", pair >= 0 and messages[pair] in header.get("exception message", ""),
              "exception message %r" % header.get("exception message"))
    else:
        check(s.name, "exception message", s.message in header.get("exception message", ""),
              "exception message %r" % header.get("exception message"))
    if s.reports > 1:
        check(s.name, "merged count", header.get("count") == str(s.reports), "count %r" % header.get("count"))
        check(s.name, "count after callstack crc", names.index("count") == names.index("callstack crc") + 1,
              "header names %s" % names)
    sections = sections_of(report)
    threads = [n for n in sections if "$" in n and n not in ("cpu registers", "stack dump", "disassembling")]
    check(s.name, "thread sections", any(n.startswith("main thread") for n in threads) and
          any(n.startswith("crash test idle ($") for n in threads), "sections %s" % list(sections))
    failing = sections[threads[0]] if threads else []
    raiser_lines = [l for l in failing if s.raiser in l]
    check(s.name, "raising function in the failing thread's stack",
          any(SOURCE in l and re.search(r"line \d+|\(\d+\)|\b\d+\b", l) for l in raiser_lines),
          "failing thread %r:\n%s" % (threads[:1], "\n".join(failing[:12])))
    if oracle is not None:
        oracle.check_report(s.name, report, check)
    for name in ("modules", "processes", "hardware", "disassembling"):
        check(s.name, "section " + name, name in sections and len(sections[name]) > 0, "sections %s" % list(sections))
    check(s.name, "no placeholder left", "will be calculated soon" not in report, "a placeholder remained")
    check(s.name, "disassembly marks a line", any(">" in l for l in sections.get("disassembling", [])),
          "disassembling:\n%s" % "\n".join(sections.get("disassembling", [])[:20]))
    if s.context:
        regs = sections.get("cpu registers", [])
        check(s.name, "cpu registers", len(regs) == 9 and regs[6].startswith("eip = "), "cpu registers %r" % regs)
        dump = sections.get("stack dump", [])
        check(s.name, "stack dump", 0 < len(dump) <= 20 and re.match(r"[0-9a-f]{8}  ", dump[0] or ""),
              "stack dump %r" % dump[:3])


def check_merged_across_processes(exe, wine_run, s, check, processes=3):
    """The same crash in new processes, one after the other, beside one
    report file: one report, counted once per process."""
    directory = tempfile.mkdtemp(prefix="crash-merge-" + s.name + "-")
    try:
        for _ in range(processes):
            exit_code, _, reports, _ = run(exe, wine_run, s, directory)
            check(s.name + " x%d" % processes, "exit code", exit_code == s.exit_code, "exit code %s" % exit_code)
    finally:
        shutil.rmtree(directory, ignore_errors=True)
    texts = reports_in(reports)
    counts = [dict(header_of(t)).get("count") for t in texts]
    check(s.name + " x%d" % processes, "one report with count: %d" % processes,
          len(texts) == 1 and counts == [str(processes)],
          "%d reports, counts %s, callstack crcs %s" % (len(texts), counts,
                                                       [dict(header_of(t)).get("callstack crc") for t in texts]))


class DialogScenario:
    """A scenario run with the exception dialog shown, driven from outside
    with real keys and clicks: steps(window) acts on the dialog's X window."""

    def __init__(self, name, crash, exit_code, steps, continued):
        self.name, self.crash, self.exit_code, self.steps, self.continued = name, crash, exit_code, steps, continued


def xdotool(*arguments):
    result = subprocess.run(["xdotool"] + [str(a) for a in arguments], capture_output=True, text=True)
    return result.stdout.split()


def wait_for_window(title, seconds=90, skip=None):
    """The visible window of that title other than skip; its loop is given a
    moment to take the focus and start its timer."""
    end = time.time() + seconds
    while time.time() < end:
        found = [w for w in xdotool("search", "--onlyvisible", "--name", "^%s$" % re.escape(title)) if w != skip]
        if found:
            time.sleep(1)
            return found[0]
        time.sleep(0.2)
    return None


def geometry(window):
    values = dict(item.split("=") for item in subprocess.run(
        ["xdotool", "getwindowgeometry", "--shell", window], capture_output=True, text=True).stdout.split())
    return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])


def press(window, *keys):
    xdotool("windowfocus", window)
    time.sleep(0.3)
    for key in keys:
        xdotool("key", key)
        time.sleep(0.3)


def escape(window, title):
    press(window, "Escape")
    return {}


def tab_enter_then_tab_click(window, title):
    """Shift+Tab from the focused continue button reaches the show button;
    Enter opens the dialog again with the report, which is 474 pixels
    taller; a click on its second tab, then Escape."""
    before = geometry(window)
    press(window, "shift+Tab", "Return")
    again = wait_for_window(title, skip=window)
    after = geometry(again) if again else (0, 0, 0, 0)
    # The second tab sits right of the first in the tab row below the buttons.
    x, y = after[0] + 100, after[1] + after[3] - 474 + 8
    xdotool("mousemove", x, y, "click", 1)
    time.sleep(1)
    # The pointer goes out of the way of the next program on this display.
    xdotool("mousemove", "--", 10000, 10000)
    if again:
        press(again, "Escape")
    return {"reopened taller": after[3] - before[3] >= 474}


DIALOG_SCENARIOS = [
    DialogScenario("dialog-escape", "event-handler", 0, escape, True),
    # Continue is disabled; Escape closes the program.
    DialogScenario("dialog-cannot-continue", "access-violation", 1, escape, False),
    DialogScenario("dialog-show-report", "event-handler", 0, tab_enter_then_tab_click, True),
]


def check_dialog_scenario(exe, wine_run, d, check):
    if shutil.which("xdotool") is None or not os.environ.get("DISPLAY"):
        check(d.name, "xdotool and a display", False, "xdotool or DISPLAY missing")
        return
    directory = tempfile.mkdtemp(prefix="crash-" + d.name + "-")
    target = os.path.join(directory, os.path.basename(exe))
    shutil.copy(exe, target)
    title = os.path.basename(exe)
    process = subprocess.Popen([os.path.abspath(wine_run), target, "/crashtest:" + d.crash, "/dialog"], cwd=directory,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    findings = {}
    try:
        window = wait_for_window(title)
        if check(d.name, "dialog shown", window is not None, "no window named %s" % title):
            findings = d.steps(window, title)
        exit_code = process.wait(timeout=120)
    except subprocess.TimeoutExpired:
        process.kill()
        exit_code = None
    log = open(os.path.join(directory, "crashtest.log"), encoding="cp1252").read() \
        if os.path.exists(os.path.join(directory, "crashtest.log")) else ""
    shutil.rmtree(directory, ignore_errors=True)
    check(d.name, "exit code", exit_code == d.exit_code, "exit code %s, expected %s" % (exit_code, d.exit_code))
    check(d.name, "outcome", ("survived" in log) == d.continued, "log: %r" % log)
    for name, ok in findings.items():
        check(d.name, name, ok, "not so")


def answer_crashes_without_a_debugger(wine_run):
    """A crash that escapes every handler (a fault after the reporter has
    gone, during the process's exit) starts Wine's debugger, which waits for
    nobody and so hangs the scenario until its time runs out. A debugger
    command that ends at once lets such a process end with a non-zero exit
    code, and the scenario's checks judge the outcome."""
    key = r"HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug"
    for name, value in (("Debugger", "cmd.exe /c exit 1"), ("Auto", "1")):
        subprocess.run([wine_run, "reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/f"],
                       capture_output=True, timeout=120)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("wine_run")
    parser.add_argument("report")
    parser.add_argument("scenarios", nargs="*")
    parser.add_argument("--addr2line")
    parser.add_argument("--objdump")
    args = parser.parse_args()
    exe, wine_run, report = args.exe, args.wine_run, args.report
    wanted = set(args.scenarios)
    answer_crashes_without_a_debugger(wine_run)
    oracle = FrameOracle(exe, args.addr2line, args.objdump) if args.addr2line and args.objdump else None
    cases = []

    def check(scenario, name, ok, detail):
        cases.append(("%s: %s" % (scenario, name), ok, detail))
        print(("ok    " if ok else "FAIL  ") + "%s: %s" % (scenario, name) + ("" if ok else ": " + detail))
        return ok

    for scenario in SCENARIOS:
        if scenario.name in wanted or (not wanted and scenario.name not in OPT_IN):
            check_scenario(exe, wine_run, scenario, check, oracle)
    for scenario in SCENARIOS:
        if scenario.name in MERGED and (scenario.name in wanted or not wanted):
            check_merged_across_processes(exe, wine_run, scenario, check)
    for scenario in DIALOG_SCENARIOS:
        if scenario.name in wanted or not wanted:
            check_dialog_scenario(exe, wine_run, scenario, check)

    return write_junit(report, "crash_scenarios", "CrashScenarios", cases)


if __name__ == "__main__":
    sys.exit(main())
