#!/usr/bin/env python3
"""Makes the map information of a linked image and embeds it.

From the image itself: publics from its symbol table (demangled here, so that
the crash reporter never demangles), units and lines from its DWARF line
table. Code inlined from elsewhere (a header's template, a lambda) is
described by the place that inlined it: each line row takes the outermost
file and line that addr2line -i gives for its address, so a function's lines
all belong to the function's own file and a unit never names a line of
another file. The map stream is zlib-compressed, enciphered and wrapped in the map
resource header (version 3); the resource "EXCEPT" of type "OST" is added to
the image after the link (code and data do not move) and the same bytes are
written as the ".ost" file beside it. When the image's header does not
describe its code and data, a calibration record ("CALIBRATE", see
calibration.py) goes in beside it. Then the finished image is checked:
the resource reads back, the code is the code the map was made from, and
every public of the map still has its address in the image's symbol table.

usage: make_map_resource.py IMAGE --nm NM --objdump OBJDUMP --addr2line ADDR2LINE
"""
import argparse
import os
import re
import struct
import subprocess
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pe_image import PeImage  # noqa: E402
from calibration import marker_addresses, needed_record  # noqa: E402

SIGNATURE = b"RavelinMapInfo"
CIPHER_WORD = 0x4F535452
MAX_NAME = 255


def cipher(payload):
    state = (CIPHER_WORD ^ ((len(payload) * 0x9E3779B9) & 0xFFFFFFFF)) & 0xFFFFFFFF
    if state == 0:
        state = CIPHER_WORD
    out = bytearray(payload)
    for i in range(len(out)):
        state ^= (state << 13) & 0xFFFFFFFF
        state ^= state >> 17
        state ^= (state << 5) & 0xFFFFFFFF
        out[i] ^= state & 0xFF
    return bytes(out)


def short_name(demangled):
    """The function's qualified name without its parameter list, "::" as ".",
    and without the argument-size suffix of a stdcall routine ("@8")."""
    demangled = re.sub(r"@\d+$", "", demangled)
    clone = ""
    m = re.search(r"( \[clone [^\]]*\])+$", demangled)
    if m:
        clone = m.group(0)
        demangled = demangled[:m.start()]
    name = re.sub(r"(\s+(const|volatile|&&|&))+$", "", demangled)
    if name.endswith(")"):
        depth = 0
        for i in range(len(name) - 1, -1, -1):
            if name[i] == ")":
                depth += 1
            elif name[i] == "(":
                depth -= 1
                if depth == 0:
                    name = name[:i]
                    break
    return name.replace("::", ".") + clone


def read_publics(nm, image_path, code_start, code_end):
    """(address, name) of every code symbol, one per address."""
    out = subprocess.run([nm, "-C", "--defined-only", image_path], check=True,
                         capture_output=True, text=True, errors="replace").stdout
    chosen = {}
    for line in out.splitlines():
        parts = line.split(" ", 2)
        if len(parts) != 3 or parts[1] not in ("T", "t"):
            continue
        address = int(parts[0], 16)
        name = parts[2]
        if not (code_start <= address < code_end) or name.startswith("."):
            continue
        rank = (parts[1] != "T", name.startswith("_"), len(name))
        if address not in chosen or rank < chosen[address][0]:
            chosen[address] = (rank, short_name(name)[:MAX_NAME])
    return sorted((a, v[1]) for a, v in chosen.items())


ROW = re.compile(r"^(\S+)\s+(\d+|-)\s+(0x[0-9a-f]+)")


def read_lines(objdump, image_path, code_start, code_end):
    """(address, line, file) rows of every line sequence that lies in the code,
    and the (start, end) of each such sequence."""
    out = subprocess.run([objdump, "--dwarf=decodedline", image_path], check=True,
                         capture_output=True, text=True, errors="replace").stdout
    rows, sequence, sequences = [], [], []
    for text in out.splitlines():
        m = ROW.match(text)
        if not m:
            continue
        file_name, line, address = m.group(1), m.group(2), int(m.group(3), 16)
        if line == "-":
            # A sequence of code the linker discarded lies outside the code.
            if sequence and all(code_start <= a < code_end for a, _, _ in sequence):
                rows.extend(sequence)
                sequences.append((min(a for a, _, _ in sequence), address))
            sequence = []
        else:
            sequence.append((address, int(line), file_name))
    by_address = {}
    for address, line, file_name in rows:
        by_address[address] = (line, file_name)  # the last row at an address wins
    return sorted((a, v[0], v[1]) for a, v in by_address.items()), sorted(sequences)


def base_name(path):
    return re.split(r"[/\\]", path)[-1]


PLACE = re.compile(r"^(.+):(\d+)(?: \(discriminator \d+\))?$")


def outermost_places(addr2line, image_path, addresses):
    """{address: (line, file)} of the last place addr2line -i names for each
    address: the line in the function that holds the code, past every routine
    inlined into it. Addresses it cannot place are left out."""
    given = "".join("%x\n" % a for a in addresses)
    out = subprocess.run([addr2line, "-a", "-i", "-e", image_path], input=given, check=True,
                         capture_output=True, text=True, errors="replace").stdout
    places, current = {}, None
    for text in out.splitlines():
        if text.startswith("0x"):
            current = int(text, 16)
            continue
        m = PLACE.match(text)
        if current is not None and m and m.group(1) != "??" and int(m.group(2)) > 0:
            places[current] = (int(m.group(2)), base_name(m.group(1)))
        elif current is not None:
            places.pop(current, None)  # an unplaced outer level: the row keeps its own place
    return places


def with_outermost_places(rows, kept, addr2line, image_path):
    """Each row named by its outermost place; a row that merely repeats the
    place of the row before it adds nothing and goes, unless its address is
    one of `kept` (where a sequence or a function starts)."""
    places = outermost_places(addr2line, image_path, [a for a, _, _ in rows])
    out = []
    for address, line, file_name in rows:
        place = places.get(address, (line, base_name(file_name)))
        if out and address not in kept and out[-1][1:] == place:
            continue
        out.append((address,) + place)
    return out


def with_rows_at_publics(rows, sequences, publics):
    """A function whose first bytes still belong to the line before it (a
    split-off part of a function) gets a row of that line at its start, so
    that the line stays inside the function's own segment."""
    import bisect
    addresses = [r[0] for r in rows]
    extra = []
    for start, _ in publics:
        i = bisect.bisect_right(addresses, start) - 1
        if i < 0 or addresses[i] == start:
            continue
        if any(s <= addresses[i] and start < e for s, e in sequences):
            extra.append((start, rows[i][1], rows[i][2]))
    return sorted(rows + extra)


def with_rows_at_unlined_publics(rows, sequences, publics, addr2line, image_path):
    """A function whose first bytes lie in no line sequence at all (the start
    of a split-off cold part whose first instructions the line table skips)
    gets a row at its start with the place addr2line gives there, when it
    gives one; else such code would have no line though addr2line knows it."""
    import bisect
    addresses = [r[0] for r in rows]
    starts = []
    for start, _ in publics:
        i = bisect.bisect_left(addresses, start)
        if i < len(addresses) and addresses[i] == start:
            continue
        if not any(s <= start < e for s, e in sequences):
            starts.append(start)
    places = outermost_places(addr2line, image_path, starts)
    extra = [(start,) + places[start] for start in starts if start in places]
    return sorted(rows + extra)


def segments_of(publics, rows, sequences, code_end):
    """A segment per run of code of one source file: a function's code is cut
    where its line rows change file, so that every line row lies in the
    segment of its own file; a function's last segment ends where its line
    sequence ends; functions without lines have none."""
    import bisect
    addresses = [r[0] for r in rows]
    segments = []

    def add(start, end, unit):
        if segments and segments[-1][2] == unit and segments[-1][0] + segments[-1][1] == start:
            segments[-1][1] = end - segments[-1][0]
        else:
            segments.append([start, end - start, unit])

    for i, (start, _) in enumerate(publics):
        end = publics[i + 1][0] if i + 1 < len(publics) else code_end
        first = bisect.bisect_left(addresses, start)
        last = bisect.bisect_left(addresses, end)
        if first >= last:
            continue
        covering = [e for s, e in sequences if s <= addresses[first] < e]
        if covering:
            end = min(end, covering[0])
        run_start, unit = start, rows[first][2][:MAX_NAME]
        for k in range(first + 1, last):
            if rows[k][0] >= end:
                break
            if rows[k][2][:MAX_NAME] != unit:
                add(run_start, rows[k][0], unit)
                run_start, unit = rows[k][0], rows[k][2][:MAX_NAME]
        add(run_start, end, unit)
    return segments


def packed(value):
    if -127 <= value <= 127:
        return struct.pack("<b", value)
    return struct.pack("<bi", -128, value)


def text(value):
    data = value.encode("latin-1", "replace")[:MAX_NAME]
    return bytes([len(data)]) + data


def map_stream(segments, publics, rows, code_start, entry_point):
    out = bytearray(struct.pack("<I", len(segments)))
    for start, length, unit in segments:
        out += struct.pack("<II", start - code_start, length) + text(unit)
    out += struct.pack("<I", len(publics))
    for i, (address, name) in enumerate(publics):
        out += text(name)
        out += struct.pack("<I", address - code_start) if i == 0 else packed(address - publics[i - 1][0])
    out += struct.pack("<I", len(rows))
    for i, (address, line, _) in enumerate(rows):
        if i == 0:
            out += struct.pack("<II", line, address - code_start)
        else:
            out += packed(line - rows[i - 1][1]) + packed(address - rows[i - 1][0])
    if entry_point:
        out += struct.pack("<I", entry_point - code_start)
    return bytes(out)


def map_resource(stream, build_id1, build_id2, flags=0):
    payload = cipher(zlib.compress(stream, 9))
    return SIGNATURE + struct.pack("<IIIII", len(payload), 3, build_id1, build_id2, flags) + payload


def check(image_path, resource, publics, code_crc, nm):
    """The finished image carries the resource and still has the code and
    the publics the map describes."""
    image = PeImage(open(image_path, "rb").read())
    problems = []
    if image.find_resource("OST", "EXCEPT") != resource:
        problems.append("the embedded map resource does not read back")
    if image.code_crc() != code_crc:
        problems.append("the code changed after the map was made")
    start, length = image.code_range()
    now = dict(read_publics(nm, image_path, start, start + length))
    moved = [name for address, name in publics if now.get(address) != name]
    if moved:
        problems.append("%d publics are not where the map says, first: %s" % (len(moved), moved[0]))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("image")
    parser.add_argument("--nm", required=True)
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--addr2line", required=True)
    args = parser.parse_args()

    image = PeImage(open(args.image, "rb").read())
    if image.find_resource("OST", "EXCEPT") is not None:
        sys.exit("%s already carries a map resource" % args.image)
    code_start, code_length = image.code_range()
    code_end = code_start + code_length
    publics = read_publics(args.nm, args.image, code_start, code_end)
    rows, sequences = read_lines(args.objdump, args.image, code_start, code_end)
    # A function's start may lie in a line row of the code before it, but it
    # never lies in the code that was inlined there: its place is its own.
    rows = with_rows_at_publics(rows, sequences, publics)
    rows = with_rows_at_unlined_publics(rows, sequences, publics, args.addr2line, args.image)
    kept = {s for s, _ in sequences} | {a for a, _ in publics}
    rows = with_outermost_places(rows, kept, args.addr2line, args.image)
    segments = segments_of(publics, rows, sequences, code_end)
    entry = image.image_base + image.entry_point if image.entry_point else 0
    stream = map_stream(segments, publics, rows, code_start, entry)
    code_crc = image.code_crc()
    resource = map_resource(stream, code_crc, zlib.crc32(stream) & 0xFFFFFFFF)

    resources = [("OST", "EXCEPT", 0, resource)]
    calibration = needed_record(image, marker_addresses(args.nm, args.image))
    if calibration is not None:
        resources.append(("OST", "CALIBRATE", 0, calibration))
    image.add_resources(resources)
    with open(args.image, "wb") as out:
        out.write(image.data)
    problems = check(args.image, resource, publics, code_crc, args.nm)
    if problems:
        os.remove(args.image)
        sys.exit("map check failed for %s: %s" % (args.image, "; ".join(problems)))
    with open(os.path.splitext(args.image)[0] + ".ost", "wb") as out:
        out.write(resource)
    print("map of %s: %d units, %d publics, %d lines, %d bytes%s" %
          (os.path.basename(args.image), len(segments), len(publics), len(rows), len(resource),
           ", calibration record" if calibration is not None else ""))


if __name__ == "__main__":
    main()
