#!/usr/bin/env python3
"""Writes the crash reporter's settings resource ("TOSTREL") from the readable
settings file kept in the repository.

    write_settings_resource.py SETTINGS_FILE [MORE_SETTINGS_FILE...] OUTPUT_FILE

Settings of a later file replace those of earlier ones.

The settings file holds one setting a line, "Name = value", where the value is
true or false, a whole number, or a text in double quotes (backslash escapes
\\" and \\\\). Blank lines and lines starting with # are passed over.

The output is a component stream: "TPF0", the class name "TOstrel", the object
name "Ostrel" (short strings), then each setting as its name (short string), a
value-type byte and the value, then two zero bytes (end of the properties, end
of the children). Booleans are types 8 and 9; numbers the smallest of types 2,
3 and 4 that holds them; texts type 6 up to 255 bytes, 12 above, and 18 (UTF-16)
when they hold characters beyond ASCII. SmtpPassword and HttpPassword are
written enciphered as the reporter expects them (crash/PasswordCipher.cpp)."""
import base64
import re
import struct
import sys

PASSWORDS = {"SmtpPassword": ("SmtpAccount", "SmtpServer"),
             "HttpPassword": ("HttpAccount", "HttpServer")}


def keystream_xor(data: bytes, key: bytes) -> bytes:
    state = 2166136261
    for c in key:
        state = ((state ^ c) * 16777619) & 0xFFFFFFFF
    out = bytearray()
    for b in data:
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        out.append(b ^ ((state >> 16) & 0xFF))
    return bytes(out)


def encipher(plain: str, account: str, server: str) -> str:
    key = (account + "\n" + server).encode("latin-1")
    return base64.b64encode(keystream_xor(plain.encode("latin-1"), key)).decode("ascii")


def parse_value(text: str, where: str):
    if text == "true":
        return True
    if text == "false":
        return False
    if re.fullmatch(r"-?\d+", text):
        value = int(text)
        if not -2**31 <= value < 2**31:
            raise ValueError(f"{where}: {text} does not fit in 32 bits")
        return value
    match = re.fullmatch(r'"((?:[^"\\]|\\.)*)"', text)
    if match:
        return re.sub(r"\\(.)", r"\1", match.group(1))
    raise ValueError(f"{where}: a value is true, false, a number or a quoted text: {text}")


def read_settings(path: str):
    settings = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            name, sep, value = line.partition("=")
            name = name.strip()
            if not sep or not re.fullmatch(r"[A-Za-z_][A-Za-z0-9_]*", name):
                raise ValueError(f"{path}:{number}: expected Name = value")
            if name in settings:
                raise ValueError(f"{path}:{number}: {name} is set twice")
            if len(name) > 255:
                raise ValueError(f"{path}:{number}: name too long")
            settings[name] = parse_value(value.strip(), f"{path}:{number}")
    return settings


def short_string(text: str) -> bytes:
    data = text.encode("latin-1")
    return bytes([len(data)]) + data


def value_bytes(value) -> bytes:
    if value is True:
        return b"\x09"
    if value is False:
        return b"\x08"
    if isinstance(value, int):
        if -128 <= value <= 127:
            return b"\x02" + struct.pack("<b", value)
        if -32768 <= value <= 32767:
            return b"\x03" + struct.pack("<h", value)
        return b"\x04" + struct.pack("<i", value)
    if any(ord(c) > 127 for c in value):
        units = value.encode("utf-16-le")
        return b"\x12" + struct.pack("<I", len(units) // 2) + units
    data = value.encode("ascii")
    if len(data) <= 255:
        return b"\x06" + bytes([len(data)]) + data
    return b"\x0c" + struct.pack("<I", len(data)) + data


def resource_bytes(settings) -> bytes:
    settings = dict(settings)
    for password, (account, server) in PASSWORDS.items():
        if settings.get(password):
            settings[password] = encipher(settings[password], settings.get(account, ""),
                                          settings.get(server, ""))
    out = bytearray(b"TPF0" + short_string("TOstrel") + short_string("Ostrel"))
    for name, value in settings.items():
        out += short_string(name) + value_bytes(value)
    out += b"\x00\x00"
    return bytes(out)


def main(argv):
    if len(argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    try:
        # Later files change the settings of earlier ones (a test build's
        # overrides of the program's settings).
        settings = {}
        for path in argv[1:-1]:
            settings.update(read_settings(path))
        data = resource_bytes(settings)
    except (OSError, ValueError, UnicodeError) as error:
        print(f"write_settings_resource: {error}", file=sys.stderr)
        return 1
    with open(argv[-1], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
