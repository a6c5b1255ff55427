"""What addr2line says about code addresses of an image, as the crash
reporter is meant to show them: the function that holds the code and the
file and line in it, past every routine inlined into it (the outermost of
what addr2line -i names)."""
import re
import subprocess


def plain_name(name):
    """A function name without parameters, with "." between its parts."""
    name = name.replace("::", ".")
    depth = 0
    out = ""
    for c in name:
        if c == "(":
            depth += 1
        elif c == ")":
            depth -= 1
        elif depth == 0:
            out += c
    # A stdcall routine's symbol ends in the size of its arguments.
    out = re.sub(r"@\d+$", "", out.strip())
    # The C symbol of a routine carries one leading underscore on this target.
    return out[1:] if re.match(r"_[A-Za-z]", out) else out


def demangled(names):
    # This target's symbols carry a leading underscore, which addr2line -C
    # strips and then leaves C++ names mangled ("ZN10TStep3RunEi"); the host's
    # c++filt reads them with the underscore put back.
    mangled = [f for f in names if re.match(r"_?Z[NL0-9]", f)]
    if not mangled:
        return names
    given = "\n".join(f if f.startswith("_") else "_" + f for f in mangled) + "\n"
    plain = subprocess.run(["c++filt"], input=given, stdout=subprocess.PIPE, check=True,
                           text=True).stdout.splitlines()
    table = dict(zip(mangled, plain))
    return [table.get(f, f) for f in names]


def outermost_places(addr2line, image, addresses):
    """(function, file without directory, line) per address; line 0 and file
    "??" where addr2line knows none."""
    if not addresses:
        return []
    out = subprocess.run([addr2line, "-a", "-f", "-i", "-C", "-e", image] + ["%x" % a for a in addresses],
                         stdout=subprocess.PIPE, check=True).stdout.decode("latin-1").splitlines()
    # Per address: a line "0x...", then function and place pairs, innermost first.
    groups = []
    for text in out:
        if re.fullmatch(r"0x[0-9a-f]+", text):
            groups.append([])
        elif groups:
            groups[-1].append(text)
    pairs = [(g[-2], g[-1]) if len(g) >= 2 else ("??", "??:0") for g in groups]
    functions = demangled([f for f, _ in pairs])
    answers = []
    for function, (_, place) in zip(functions, pairs):
        match = re.match(r"^(.*):(\d+)", place)
        file_name = re.split(r"[/\\]", match.group(1))[-1] if match else "??"
        answers.append((function, file_name, int(match.group(2)) if match else 0))
    return answers
