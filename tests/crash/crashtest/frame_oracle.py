"""Ties the call-stack lines of a bug report to the mingw binutils on the
image that made it: every frame in the image names the function, file and
line that addr2line -i gives as the outermost place of its address, and
every frame but a thread's current address and its creation line stands on
a call instruction (objdump), and each frame's call can lead to the function
of the frame listed inside it."""
import bisect
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../..", "support"))
from addr2line_oracle import outermost_places, plain_name  # noqa: E402

INSN = re.compile(r"^\s*([0-9a-f]+):\t(\S+)(?:\s+(.*))?$")
LABEL = re.compile(r"^([0-9a-f]+) <(.*)>:$")
DIRECT = re.compile(r"^([0-9a-f]+) <")
THROUGH_MEMORY = re.compile(r"^DWORD PTR ds:0x([0-9a-f]+)$")
FRAME = re.compile(r"^(?P<address>[0-9a-f]{8}) (?:\+[0-9a-f]+ +)?(?P<module>\S+) +(?P<rest>.*)$")
# Unit, then the line number column and the figure column where present.
NAMED = re.compile(r"^(?P<unit>\S+\.\w+) +(?:(?P<line>\d+) +)?(?:(?P<figure>\+-?\d+|\d+) +)?(?P<function>\S.*)$")


def without_parameters(name):
    """A demangled name with "." between its parts and without its last
    parameter list and a member's qualifiers ("operator()(TMessage&) const"),
    keeping parentheses inside template arguments and an operator's name,
    which plain_name drops."""
    name = re.sub(r"(\s+(const|volatile)\b|\s*&&?)+$", "", name.strip().replace("::", "."))
    if not name.endswith(")"):
        return name
    depth = 0
    for i in range(len(name) - 1, -1, -1):
        depth += {")": 1, "(": -1}.get(name[i], 0)
        if depth == 0:
            return name[:i]
    return name


def same_function(ours, theirs):
    """addr2line names a function by its own name (with a member's
    qualifiers), often without its class or namespace, and on this target without one leading underscore and with a
    stdcall routine's argument size ("@16"); the report by its qualified name,
    and with the compiler's clone suffix for a copy of it."""
    ours = re.sub(r"( \[clone [^\]]*\])+$", "", ours).strip()
    if "(" in ours and ours == without_parameters(theirs):
        return True
    theirs = re.sub(r"@\d+$", "", plain_name(theirs) if "(" in theirs or "::" in theirs else theirs.strip())
    if ours == theirs or ours.endswith("." + theirs):
        return True
    last = ours[ours.rfind(".") + 1:] if not ours.endswith(")") else ours
    return last.startswith("_") and last[1:] == theirs


class FrameOracle:
    def __init__(self, image, addr2line, objdump):
        self.image, self.addr2line, self.objdump = image, addr2line, objdump
        self.module = os.path.basename(image).lower()
        self._mnemonics = None
        self._operands, self._starts, self._imports = {}, [], None

    def mnemonics(self):
        """{address: mnemonic} of every instruction of the image's code."""
        if self._mnemonics is None:
            listing = subprocess.run([self.objdump, "-d", "--no-show-raw-insn", "-M", "intel", "-j", ".text",
                                      self.image], check=True, capture_output=True, text=True).stdout
            self._mnemonics = {}
            for line in listing.splitlines():
                m = INSN.match(line)
                if m:
                    self._mnemonics[int(m.group(1), 16)] = m.group(2)
                    self._operands[int(m.group(1), 16)] = (m.group(3) or "").strip()
                    continue
                label = LABEL.match(line)
                if label:
                    self._starts.append(int(label.group(1), 16))
            self._starts.sort()
        return self._mnemonics

    def imports(self):
        """The address range of the import address table (.idata)."""
        if self._imports is None:
            headers = subprocess.run([self.objdump, "-h", self.image], check=True, capture_output=True,
                                     text=True).stdout
            m = re.search(r"^\s*\d+ \.idata\s+([0-9a-f]+)\s+([0-9a-f]+)", headers, re.M)
            self._imports = (int(m.group(2), 16), int(m.group(2), 16) + int(m.group(1), 16)) if m else (0, 0)
        return self._imports

    def function_of(self, address):
        """(start, end) of the symbol that holds the address."""
        self.mnemonics()
        i = bisect.bisect_right(self._starts, address) - 1
        if i < 0:
            return None
        return self._starts[i], self._starts[i + 1] if i + 1 < len(self._starts) else address + 1

    def leaves_image(self, operands):
        """A call through the import address table, or through a thunk that
        jumps through it."""
        low, high = self.imports()
        m = THROUGH_MEMORY.match(operands)
        if m:
            return low <= int(m.group(1), 16) < high
        direct = DIRECT.match(operands)
        if direct and self.mnemonics().get(int(direct.group(1), 16)) == "jmp":
            return self.leaves_image(self._operands[int(direct.group(1), 16)])
        return False

    def may_lead_to(self, call_site, inner, inside_inner):
        """Whether the call at `call_site` can lead to the function holding
        `inner` without leaving a frame of its own between them: a call
        through a register or a table, a direct call of that function, or of
        a routine that jumps on to it or jumps through a pointer. A call of a
        system routine can only return into the image through a callback, whose
        system frames lie between. The crash reporter diverts some routines
        to hooks of its own at run time, which the image does not show: a hook
        is known by calling on into the routine that was called
        (`inside_inner`, the address of the frame inside the inner one)."""
        operands = self._operands.get(call_site, "")
        if self.leaves_image(operands):
            return False
        direct = DIRECT.match(operands)
        if not direct:
            return True
        target, callee = int(direct.group(1), 16), self.function_of(inner)
        if callee is None or target == callee[0]:
            return True
        if inside_inner is not None and self.function_of(inside_inner) == self.function_of(target):
            return True
        span = self.function_of(target)
        if span is None:
            return True
        for address in range(span[0], span[1]):
            if self.mnemonics().get(address) != "jmp":
                continue
            jumped = DIRECT.match(self._operands[address])
            if not jumped or int(jumped.group(1), 16) == callee[0]:
                return True
        return False

    def frames(self, lines):
        """(position, address, unit, line, function) of each line of the image."""
        out = []
        for position, text in enumerate(lines):
            m = FRAME.match(text)
            if not m or m.group("module").lower() != self.module:
                continue
            named = NAMED.match(m.group("rest"))
            if not named:
                out.append((position, int(m.group("address"), 16), "", 0, m.group("rest").strip()))
                continue
            line = named.group("line") or named.group("figure") or "0"
            line = int(line) if not line.startswith("+") else 0
            out.append((position, int(m.group("address"), 16), named.group("unit"), line,
                        named.group("function")))
        return out

    @staticmethod
    def agrees(ours, theirs):
        (unit, line, function), (a_function, a_file, a_line) = ours, theirs
        # Code without debug information (the runtime's own) is named from
        # the symbol table only: then no file and no line.
        if a_file == "??" and a_line == 0:
            return (unit, line) == ("", 0)
        # A line with no function around it (a gap in the debug information):
        # addr2line cannot say which place is outermost there.
        if a_function == "??":
            return True
        return (unit.lower(), line) == (a_file.lower(), a_line) and same_function(function, a_function)

    def check_report(self, scenario, report, check):
        """Two checks over all thread sections of the report. A thread
        section's first line is its current address; what follows ">> created
        by" is the line of the code that created the thread."""
        disagreeing, not_calls, unlinked, compared = [], [], [], 0
        for block in report.split("\r\n\r\n")[1:]:
            lines = block.split("\r\n")
            title = lines[0].rstrip(":")
            if "$" not in title or title in ("cpu registers", "stack dump", "disassembling"):
                continue
            body = [l for l in lines[1:] if l]
            created = next((n for n, l in enumerate(body) if l.startswith(">> created by")), len(body))
            frames = self.frames(body)
            places = outermost_places(self.addr2line, self.image, [f[1] for f in frames])
            for (position, address, unit, line, function), (a_function, a_file, a_line) in zip(frames, places):
                compared += 1
                if not self.agrees((unit, line, function), (a_function, a_file, a_line)):
                    disagreeing.append("%s: %08x %s %d %s / addr2line %s:%d %s" %
                                       (title, address, unit, line, function, a_file, a_line, a_function))
                # The creation line names the instruction after the creator's call.
                if position == 0 or position > created:
                    continue
                if self.mnemonics().get(address) != "call":
                    not_calls.append("%s: %08x %s (%s)" % (title, address, function,
                                                            self.mnemonics().get(address, "no instruction")))
                    continue
                # The frame listed right inside this one, when it lies in the image too.
                inner = [f for f in frames if f[0] == position - 1]
                inside = [f[1] for f in frames if f[0] == position - 2]
                if inner and not self.may_lead_to(address, inner[0][1], inside[0] if inside else None):
                    unlinked.append("%s: %08x %s (%s) cannot lead to %08x %s" %
                                    (title, address, function, self._operands.get(address), inner[0][1],
                                     inner[0][4]))
        check(scenario, "frames agree with addr2line", compared > 0 and not disagreeing,
              "%d of %d frames differ:\n%s" % (len(disagreeing), compared, "\n".join(disagreeing[:20])))
        check(scenario, "frames stand on call instructions", compared > 0 and not not_calls,
              "%d frames do not:\n%s" % (len(not_calls), "\n".join(not_calls[:20])))
        check(scenario, "each frame's call can lead to the frame inside it", compared > 0 and not unlinked,
              "%d frames cannot:\n%s" % (len(unlinked), "\n".join(unlinked[:20])))
