#!/usr/bin/env python3
"""Writes what the mingw binutils say about a linked test image, for the map
tests to compare with: every instruction of the code section with its length
and direct call or jump target (objdump), and for sample addresses the source
line (the outermost place addr2line -i gives) and the start of the symbol
holding them (nm). Addresses are written relative to the image base so that
a relocated image still compares.

usage: write_oracles.py IMAGE DECODER_OUT ADDRESS_OUT --objdump X --nm Y --addr2line Z
"""
import argparse
import re
import struct
import subprocess

INSN = re.compile(r"^\s*([0-9a-f]+):\t((?:[0-9a-f]{2} )+)\s*\t(\S+)\s*(.*)$")
BRANCH = re.compile(r"^(call|jmp|j[a-z]+|loop[a-z]*|jecxz)$")


def image_base(path):
    data = open(path, "rb").read(4096)
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    return struct.unpack_from("<I", data, pe + 24 + 28)[0]


def main():
    p = argparse.ArgumentParser()
    p.add_argument("image")
    p.add_argument("decoder_out")
    p.add_argument("address_out")
    p.add_argument("--objdump", required=True)
    p.add_argument("--nm", required=True)
    p.add_argument("--addr2line", required=True)
    a = p.parse_args()
    base = image_base(a.image)

    # Data the linker puts into the code section (exception tables,
    # constructor lists) is no code: no instruction there is compared.
    data_names = (".gcc_except_table", ".ctors", ".dtors", "__CTOR_LIST__", "___CTOR_LIST__",
                  "__DTOR_LIST__", "___DTOR_LIST__")
    ordered = subprocess.run([a.nm, "-n", "--defined-only", a.image], check=True, capture_output=True,
                             text=True).stdout.split("\n")
    data_ranges, data_start = [], None
    for entry in ordered:
        fields = entry.split()
        if len(fields) != 3 or fields[1] not in "Tt":
            continue
        address, is_data = int(fields[0], 16), fields[2].startswith(data_names)
        if is_data and data_start is None:
            data_start = address
        elif not is_data and data_start is not None and address > data_start:
            data_ranges.append((data_start, address))
            data_start = None
    if data_start is not None:
        data_ranges.append((data_start, 1 << 32))

    def in_data(address):
        return any(s <= address < e for s, e in data_ranges)

    listing = subprocess.run([a.objdump, "-d", "-M", "intel", "--insn-width=16", "-j", ".text", a.image],
                             check=True, capture_output=True, text=True).stdout
    with open(a.decoder_out, "w") as out:
        for line in listing.splitlines():
            m = INSN.match(line)
            if not m:
                continue
            address = int(m.group(1), 16)
            length = len(m.group(2).split())
            mnemonic, operands = m.group(3), m.group(4)
            if mnemonic == "(bad)" or in_data(address):
                continue
            if m.group(2).startswith("9b ") and mnemonic.startswith("f") and length > 1:
                # objdump joins a wait with the x87 instruction after it; the
                # decoder lists the wait on its own, as the processor runs it.
                out.write("%x 1 - -\n" % (address - base))
                address, length = address + 1, length - 1
            kind = "-"
            target = "-"
            if BRANCH.match(mnemonic):
                kind = "call" if mnemonic == "call" else "jump"
                t = re.match(r"^([0-9a-f]+) <", operands)
                if t:
                    target = "%x" % (int(t.group(1), 16) - base)
            out.write("%x %d %s %s\n" % (address - base, length, kind, target))

    symbols = subprocess.run([a.nm, "--defined-only", a.image], check=True, capture_output=True,
                             text=True).stdout
    starts = sorted({int(s.split()[0], 16) for s in symbols.splitlines()
                     if len(s.split()) == 3 and s.split()[1] in "Tt" and not s.split()[2].startswith(".")})
    samples = []
    for i, start in enumerate(starts[:-1]):
        if i % 5 == 0:
            samples += [(start, start), (start + (starts[i + 1] - start) // 2, start)]
    # The outermost place addr2line -i gives: the line in the function that
    # holds the code, past every routine inlined into it, which is what the
    # map keeps. Where addr2line finds no function around a line (a gap in
    # the debug information, such as a tail jump left out of the inlined
    # routine's ranges) it cannot say which place is outermost: line -1, not
    # compared.
    groups = []
    for text in subprocess.run([a.addr2line, "-a", "-f", "-i", "-e", a.image] + ["%x" % s for s, _ in samples],
                               check=True, capture_output=True, text=True).stdout.splitlines():
        if re.fullmatch(r"0x[0-9a-f]+", text):
            groups.append([])
        elif groups:
            groups[-1].append(text)
    lines = []
    for group in groups:
        function, where = (group[-2], group[-1]) if len(group) >= 2 else ("??", "??:0")
        number = re.search(r":(\d+)", where)
        line = int(number.group(1)) if number else 0
        lines.append(-1 if function == "??" and line > 0 else line)
    with open(a.address_out, "w") as out:
        for (address, start), line in zip(samples, lines):
            out.write("%x %d %x\n" % (address - base, line, start - base))


if __name__ == "__main__":
    main()
