#!/usr/bin/env python3
"""Checks the build's calibration decision on a real linked image: none for
the image as linked, and, once its header's data fields are spoilt, a record
that puts the real ranges back for the reporter's image and for another."""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "map_resource"))
from calibration import marker_addresses, needed_record, real_layout  # noqa: E402
from pe_image import PeImage  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../..", "support"))
from junit_report import write_junit  # noqa: E402


def applied(record, image, markers):
    """The header fields the reporter writes from a record (base of code,
    size of code, base of data, initialised, uninitialised)."""
    code_anchor, data_anchor, code_size, initialised, uninitialised = struct.unpack("<IIIII", record)
    if markers:
        routine, variable = (m - image.image_base for m in markers)
        bases = ((routine - code_anchor) & 0xFFFFFFFF, (variable - data_anchor) & 0xFFFFFFFF)
    else:
        bases = (code_anchor & 0x7FFFFFFF, data_anchor & 0x7FFFFFFF)
    return bases[0], code_size, bases[1], initialised, uninitialised


def main():
    image_path, nm, report = sys.argv[1], sys.argv[2], sys.argv[3]
    data = open(image_path, "rb").read()
    markers = marker_addresses(nm, image_path)
    failures = []
    if markers is None:
        failures.append("the image has no calibration markers")
    image = PeImage(data)
    if needed_record(image, markers) is not None:
        failures.append("a record for an image whose header is right")
    code_start, code_size, data_start, initialised, uninitialised = real_layout(image)
    spoilt = PeImage(data)
    struct.pack_into("<I", spoilt.data, spoilt.optional + 24, data_start + 0x1000)  # base of data
    struct.pack_into("<I", spoilt.data, spoilt.optional + 12, 0)  # size of uninitialised data
    for owner, given in (("reporter", markers), ("other module", None)):
        record = needed_record(spoilt, given)
        if record is None:
            failures.append("no record for a spoilt header (%s)" % owner)
            continue
        got = applied(record, spoilt, given)
        if got != (code_start, code_size, data_start, initialised, uninitialised):
            failures.append("%s record gives %s, the image has %s" %
                            (owner, [hex(v) for v in got],
                             [hex(v) for v in (code_start, code_size, data_start, initialised, uninitialised)]))
    for failure in failures:
        print("FAIL " + failure)
    print("%d failures" % len(failures))
    return write_junit(report, "crash_map_calibration", "MapCalibration",
                       [("calibration decision", not failures, "\n".join(failures))])


if __name__ == "__main__":
    sys.exit(main())
