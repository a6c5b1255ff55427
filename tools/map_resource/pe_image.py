"""Reading and amending a 32-bit PE image: sections, the resource tree, and
adding a resource by placing a rebuilt resource tree in a new last section."""
import struct
import zlib

SECTION_HEADER = 40


class PeImage:
    def __init__(self, data):
        self.data = bytearray(data)
        if self.data[:2] != b"MZ":
            raise ValueError("not an executable image (no MZ header)")
        self.pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[self.pe:self.pe + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        coff = self.pe + 4
        (self.machine, self.section_count, _, self.symbol_table, self.symbol_count,
         self.optional_size, _) = struct.unpack_from("<HHIIIHH", self.data, coff)
        self.optional = coff + 20
        if struct.unpack_from("<H", self.data, self.optional)[0] != 0x10B:
            raise ValueError("not a 32-bit image")
        self.image_base = self.u32(self.optional + 28)
        self.section_alignment = self.u32(self.optional + 32)
        self.file_alignment = self.u32(self.optional + 36)
        self.entry_point = self.u32(self.optional + 16)
        self.section_table = self.optional + self.optional_size
        self.sections = [self.section(i) for i in range(self.section_count)]

    def u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def section(self, index):
        at = self.section_table + index * SECTION_HEADER
        name, vsize, rva, raw_size, raw_at = struct.unpack_from("<8sIIII", self.data, at)
        characteristics = self.u32(at + 36)
        name = name.rstrip(b"\0").decode("latin-1")
        if name.startswith("/"):
            name = self.long_name(int(name[1:]))
        return {"name": name, "vsize": vsize, "rva": rva, "raw_size": raw_size, "raw_at": raw_at,
                "characteristics": characteristics}

    def long_name(self, offset):
        strings = self.symbol_table + self.symbol_count * 18
        end = self.data.index(b"\0", strings + offset)
        return self.data[strings + offset:end].decode("latin-1")

    def directory(self, index):
        at = self.optional + 96 + index * 8
        return struct.unpack_from("<II", self.data, at)

    def first_section(self):
        return self.sections[0]

    def code_range(self):
        """Start (absolute) and length of the code, as the reader derives them."""
        first = self.sections[0]
        if first["characteristics"] & 0x20:
            length = first["vsize"]
            if len(self.sections) > 1 and self.sections[1]["characteristics"] & 0x20:
                length = self.sections[1]["rva"] + self.sections[1]["vsize"] - first["rva"]
            return self.image_base + first["rva"], length
        return self.image_base + self.u32(self.optional + 20), self.u32(self.optional + 4)

    def bytes_at_rva(self, rva, size):
        for s in self.sections:
            if s["rva"] <= rva < s["rva"] + max(s["vsize"], s["raw_size"]):
                offset = rva - s["rva"]
                raw = bytes(self.data[s["raw_at"] + offset:s["raw_at"] + min(size + offset, s["raw_size"])])
                return raw + b"\0" * (size - len(raw))
        raise ValueError("address %#x is in no section" % rva)

    def code_crc(self):
        start, length = self.code_range()
        return zlib.crc32(self.bytes_at_rva(start - self.image_base, length)) & 0xFFFFFFFF

    # -- resources -------------------------------------------------------
    def resources(self):
        """The resource tree as nested dicts: key (str or int) -> dict or (bytes, codepage)."""
        rva, size = self.directory(2)
        if rva == 0 or size == 0:
            return {}
        base = rva

        def read_dir(rel):
            count_named, count_id = struct.unpack_from("<HH", self.bytes_at_rva(base + rel + 12, 4))
            tree = {}
            for i in range(count_named + count_id):
                name, target = struct.unpack_from("<II", self.bytes_at_rva(base + rel + 16 + 8 * i, 8))
                if name & 0x80000000:
                    at = name & 0x7FFFFFFF
                    length = struct.unpack_from("<H", self.bytes_at_rva(base + at, 2))[0]
                    key = self.bytes_at_rva(base + at + 2, 2 * length).decode("utf-16-le")
                else:
                    key = name
                if target & 0x80000000:
                    tree[key] = read_dir(target & 0x7FFFFFFF)
                else:
                    data_rva, data_size, codepage, _ = struct.unpack_from("<IIII", self.bytes_at_rva(base + target, 16))
                    tree[key] = (self.bytes_at_rva(data_rva, data_size), codepage)
            return tree

        return read_dir(0)

    def find_resource(self, type_name, name):
        tree = self.resources().get(type_name, {}).get(name, {})
        for leaf in tree.values():
            return leaf[0]
        return None

    def add_resource(self, type_name, name, language, payload):
        self.add_resources([(type_name, name, language, payload)])

    def add_resources(self, items):
        """Adds (or replaces) resources, given as (type, name, language,
        payload): the whole tree is rebuilt into a new last section and the
        resource directory pointed at it. Code and data stay where they are."""
        tree = self.resources()
        for type_name, name, language, payload in items:
            tree.setdefault(type_name, {}).setdefault(name, {}).clear()
            tree[type_name][name][language] = (payload, 0)
        header_end = self.section_table + (self.section_count + 1) * SECTION_HEADER
        size_of_headers = self.u32(self.optional + 60)
        if header_end > size_of_headers or header_end > min(s["raw_at"] for s in self.sections if s["raw_at"]):
            raise ValueError("no room for another section header")
        last = max(self.sections, key=lambda s: s["rva"])
        rva = align(last["rva"] + max(last["vsize"], 1), self.section_alignment)
        blob = serialise_resources(tree, rva)
        raw_at = align(len(self.data), self.file_alignment)
        raw = blob + b"\0" * (align(len(blob), self.file_alignment) - len(blob))
        self.data += b"\0" * (raw_at - len(self.data)) + raw
        at = self.section_table + self.section_count * SECTION_HEADER
        struct.pack_into("<8sIIIIIIHHI", self.data, at, b".rsrc2", len(blob), rva, len(raw), raw_at,
                         0, 0, 0, 0, 0x40000040)  # initialised data, readable
        self.section_count += 1
        struct.pack_into("<H", self.data, self.pe + 6, self.section_count)
        struct.pack_into("<I", self.data, self.optional + 56, align(rva + len(blob), self.section_alignment))
        struct.pack_into("<II", self.data, self.optional + 96 + 2 * 8, rva, len(blob))
        if self.u32(self.optional + 64) != 0:
            struct.pack_into("<I", self.data, self.optional + 64, self.checksum())
        self.sections = [self.section(i) for i in range(self.section_count)]

    def checksum(self):
        """The image checksum of the optional header."""
        data = bytearray(self.data)
        struct.pack_into("<I", data, self.optional + 64, 0)
        if len(data) % 2:
            data += b"\0"
        total = 0
        for (word,) in struct.iter_unpack("<H", data):
            total += word
            total = (total & 0xFFFF) + (total >> 16)
        return ((total & 0xFFFF) + len(self.data)) & 0xFFFFFFFF


def align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


def serialise_resources(tree, section_rva):
    """Directories first, then names, then data entries, then the data."""
    directories = bytearray()
    strings = bytearray()
    entries = []  # (payload, codepage)
    fixups = []   # (offset in directories of a data-entry reference, entry index)
    name_fixups = []  # (offset in directories, offset in strings)

    def key_order(key):
        return (0, key.upper(), 0) if isinstance(key, str) else (1, "", key)

    def emit(node):
        at = len(directories)
        keys = sorted(node, key=key_order)
        named = sum(isinstance(k, str) for k in keys)
        directories.extend(struct.pack("<IIHHHH", 0, 0, 0, 0, named, len(keys) - named))
        slots = []
        for key in keys:
            slots.append(len(directories))
            directories.extend(b"\0" * 8)
        for key, slot in zip(keys, slots):
            if isinstance(key, str):
                name_fixups.append((slot, len(strings)))
                text = key.upper().encode("utf-16-le")
                strings.extend(struct.pack("<H", len(text) // 2) + text)
            else:
                struct.pack_into("<I", directories, slot, key)
            child = node[key]
            if isinstance(child, dict):
                struct.pack_into("<I", directories, slot + 4, 0x80000000 | emit(child))
            else:
                fixups.append((slot + 4, len(entries)))
                entries.append(child)
        return at

    emit(tree)
    strings_at = len(directories)
    entries_at = align(strings_at + len(strings), 4)
    data_at = align(entries_at + 16 * len(entries), 8)
    for slot, offset in name_fixups:
        struct.pack_into("<I", directories, slot, 0x80000000 | (strings_at + offset))
    for slot, index in fixups:
        struct.pack_into("<I", directories, slot, entries_at + 16 * index)
    out = bytearray(directories + strings)
    out.extend(b"\0" * (entries_at - len(out)))
    blobs = bytearray()
    table = bytearray()
    for payload, codepage in entries:
        table.extend(struct.pack("<IIII", section_rva + data_at + len(blobs), len(payload), codepage, 0))
        blobs.extend(payload + b"\0" * (align(len(payload), 8) - len(payload)))
    out.extend(table)
    out.extend(b"\0" * (data_at - len(out)))
    out.extend(blobs)
    return bytes(out)
