#!/usr/bin/env python3
"""Draws the exception dialog's pictures as 24-bit BMP files and writes the
resource script that names them. Magenta (255, 0, 255) is the transparent
colour. Usage: draw_pictures.py OUTPUT_DIR"""
import math
import os
import struct
import sys

KEY = (255, 0, 255)


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[KEY] * size for _ in range(size)]

    def put(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def disc(self, cx, cy, r, colour, inner=-1.0):
        for y in range(self.size):
            for x in range(self.size):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if inner <= d <= r:
                    self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(steps + 1):
            t = i / steps
            x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            for dy in range(width):
                for dx in range(width):
                    self.put(int(round(x)) + dx - width // 2, int(round(y)) + dy - width // 2, colour)

    def bmp(self):
        row = self.size * 3
        pad = (4 - row % 4) % 4
        data = b""
        for y in reversed(range(self.size)):
            for (r, g, b) in self.pixels[y]:
                data += bytes((b, g, r))
            data += b"\0" * pad
        header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.size, self.size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        return header + info + data


RED, DARK_RED, WHITE, BLACK = (200, 30, 30), (120, 0, 0), (255, 255, 255), (0, 0, 0)
GREEN, DARK_GREEN, BLUE, GREY = (40, 160, 60), (0, 90, 20), (40, 80, 190), (128, 128, 128)
YELLOW, LIGHT = (240, 200, 40), (230, 230, 230)


def error_sign(size):
    c = Canvas(size)
    s = size / 32
    c.disc(16 * s, 16 * s, 15 * s, DARK_RED)
    c.disc(16 * s, 16 * s, 13.5 * s, RED)
    c.line(10 * s, 10 * s, 22 * s, 22 * s, WHITE, max(1, int(3 * s)))
    c.line(22 * s, 10 * s, 10 * s, 22 * s, WHITE, max(1, int(3 * s)))
    return c


def envelope(size):
    c = Canvas(size)
    s = size / 16
    c.rect(int(1 * s), int(3 * s), int(14 * s), int(12 * s), WHITE)
    c.frame(int(1 * s), int(3 * s), int(14 * s), int(12 * s), BLUE)
    c.line(1 * s, 3 * s, 7.5 * s, 8 * s, BLUE)
    c.line(14 * s, 3 * s, 7.5 * s, 8 * s, BLUE)
    return c


def disk():
    c = Canvas(16)
    c.rect(1, 1, 14, 14, BLUE)
    c.rect(4, 1, 11, 6, LIGHT)
    c.rect(9, 2, 10, 5, BLUE)
    c.rect(3, 9, 12, 14, WHITE)
    return c


def printer():
    c = Canvas(16)
    c.rect(4, 1, 11, 6, WHITE)
    c.frame(4, 1, 11, 6, GREY)
    c.rect(1, 6, 14, 11, GREY)
    c.rect(4, 10, 11, 14, WHITE)
    c.frame(4, 10, 11, 14, BLACK)
    c.put(12, 8, GREEN)
    return c


def page():
    c = Canvas(16)
    c.rect(3, 1, 12, 14, WHITE)
    c.frame(3, 1, 12, 14, GREY)
    for y in (4, 6, 8, 10, 12):
        c.line(5, y, 10, y, BLUE)
    return c


def arrow(colour, dark):
    c = Canvas(16)
    c.rect(2, 6, 8, 9, colour)
    for i in range(6):
        c.line(8 + i, 2 + i, 8 + i, 13 - i, colour)
    c.line(2, 6, 2, 9, dark)
    return c


def cannot_continue():
    c = arrow(GREY, (90, 90, 90))
    c.line(2, 14, 14, 2, RED, 2)
    return c


def restart():
    c = Canvas(16)
    c.disc(8, 8, 7, GREEN, 4.5)
    c.rect(8, 0, 15, 7, KEY)
    for i in range(5):
        c.line(9 + i, 1 + i, 9 + i, 9 - i, DARK_GREEN)
    return c


def close_cross():
    c = Canvas(16)
    c.line(3, 3, 12, 12, RED, 3)
    c.line(12, 3, 3, 12, RED, 3)
    return c


def hourglass():
    c = Canvas(32)
    c.rect(7, 2, 24, 4, (120, 80, 30))
    c.rect(7, 27, 24, 29, (120, 80, 30))
    for y in range(5, 27):
        half = abs(y - 16) * 7 // 11 + 1
        c.line(16 - half, y, 15 + half, y, LIGHT)
        if y > 19:
            c.line(16 - half + 1, y, 15 + half - 1, y, YELLOW)
    c.line(16, 14, 16, 20, YELLOW)
    return c


PICTURES = {
    "MEIBIG": lambda: error_sign(32),
    "MEISEND": lambda: envelope(16),
    "MEISAVE": disk,
    "MEIPRINT": printer,
    "MEISHOW": page,
    "MEICONTINUE": lambda: arrow(GREEN, DARK_GREEN),
    "MEIRESTART": restart,
    "MEICLOSE": close_cross,
    "MEICANTCONTINUE": cannot_continue,
    "MEIPLWAIT": hourglass,
    "MEISEND32": lambda: envelope(32),
}


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    lines = []
    for name, draw in PICTURES.items():
        path = os.path.join(out, name + ".bmp")
        with open(path, "wb") as f:
            f.write(draw().bmp())
        lines.append('%s BITMAP "%s"' % (name, path.replace("\\", "/")))
    with open(os.path.join(out, "DialogPictures.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
