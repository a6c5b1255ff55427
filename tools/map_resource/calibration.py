"""The calibration record of an image: written only when the code and data
fields of its optional header do not describe its real code and data, so
that the reporter reads the right ranges once the record is applied.

Record: five little-endian 32-bit values - code anchor, data anchor, size of
code, size of initialised data, size of uninitialised data. For an image
that holds the reporter (it has the marker routine and variable) the anchors
are the markers' distances from the real bases of code and data; for any
other image they are the bases themselves with the top bit set."""
import struct
import subprocess

CODE, INITIALISED, UNINITIALISED, DISCARDABLE = 0x20, 0x40, 0x80, 0x02000000
TOP_BIT = 0x80000000
MARKERS = ("_RavelinCalibrationMarker", "_gRavelinCalibrationMarker")


def extent(sections):
    start = min(s["rva"] for s in sections)
    return start, max(s["rva"] + s["vsize"] for s in sections)


def real_layout(image):
    """Base and size of the code, base and sizes of the data, as RVAs."""
    code = [s for s in image.sections if s["characteristics"] & CODE]
    data = [s for s in image.sections
            if s["characteristics"] & (INITIALISED | UNINITIALISED) and not s["characteristics"] & (CODE | DISCARDABLE)
            and not s["name"].startswith(".rsrc")]
    if not code or not data:
        return None
    code_start, code_end = extent(code)
    data_start, data_end = extent(data)
    uninitialised = sum(s["vsize"] for s in data if s["characteristics"] & UNINITIALISED)
    return code_start, code_end - code_start, data_start, data_end - data_start - uninitialised, uninitialised


def header_describes(image, layout):
    code_start, code_size, data_start, initialised, uninitialised = layout
    start, length = image.code_range()
    data_base = image.u32(image.optional + 24)
    data_size = image.u32(image.optional + 8) + image.u32(image.optional + 12)
    return (start - image.image_base == code_start and length >= code_size and data_base == data_start
            and data_size >= initialised + uninitialised)


def marker_addresses(nm, image_path):
    """RVAs of the reporter's marker routine and variable, None without them."""
    out = subprocess.run([nm, "--defined-only", image_path], check=True, capture_output=True, text=True,
                         errors="replace").stdout
    found = {}
    for line in out.splitlines():
        parts = line.split()
        if len(parts) == 3 and parts[2] in MARKERS:
            found[parts[2]] = int(parts[0], 16)
    return tuple(found.get(m) for m in MARKERS) if len(found) == 2 else None


def needed_record(image, markers):
    """The record's bytes, or None when the header already says it right.
    `markers` are the absolute addresses of the marker routine and variable,
    or None when the image does not hold the reporter."""
    layout = real_layout(image)
    if layout is None or header_describes(image, layout):
        return None
    code_start, code_size, data_start, initialised, uninitialised = layout
    if markers:
        routine, variable = (m - image.image_base for m in markers)
        anchors = ((routine - code_start) & 0xFFFFFFFF, (variable - data_start) & 0xFFFFFFFF)
        if anchors[0] & TOP_BIT:
            return None  # a marker outside the code cannot anchor it
    else:
        anchors = (code_start | TOP_BIT, data_start | TOP_BIT)
    return struct.pack("<IIIII", anchors[0], anchors[1], code_size, initialised, uninitialised)
