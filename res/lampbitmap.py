#!/usr/bin/env python3
"""Draws the console's lamp bitmaps: 25 x 25 pixels, 24-bit BMP, a square lamp with a
dark rim and a light bevel. The build runs it for bitmap 129 (lit, green) and 130
(unlit, grey); the colour of the lamp's face (every pixel from 3 to 21 in both
directions) is the one the tests read on screen.

    lampbitmap.py lit|unlit OUTPUT.bmp
"""

import struct
import sys

SIZE = 25

# Lamp face colours (red, green, blue).
FACES = {
    "lit": (0, 200, 0),
    "unlit": (128, 128, 128),
}
RIM = (48, 48, 48)


def shade(colour, amount):
    """The colour moved towards white (amount > 0) or black (amount < 0)."""
    if amount >= 0:
        return tuple(c + (255 - c) * amount // 100 for c in colour)
    return tuple(c * (100 + amount) // 100 for c in colour)


def pixel(face, x, y):
    last = SIZE - 1
    if x in (0, last) or y in (0, last):
        return RIM
    if x in (1, 2) or y in (1, 2):
        return shade(face, 45)  # light from the top left
    if x in (last - 1, last - 2) or y in (last - 1, last - 2):
        return shade(face, -35)
    return face


def bmp(face):
    """A bottom-up 24-bit BMP; rows are padded to four bytes."""
    row_size = (SIZE * 3 + 3) & ~3
    rows = []
    for y in reversed(range(SIZE)):
        row = bytearray()
        for x in range(SIZE):
            red, green, blue = pixel(face, x, y)
            row += bytes((blue, green, red))
        row += bytes(row_size - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def main(argv):
    if len(argv) != 3 or argv[1] not in FACES:
        sys.stderr.write("usage: lampbitmap.py lit|unlit OUTPUT.bmp\n")
        return 2
    with open(argv[2], "wb") as out:
        out.write(bmp(FACES[argv[1]]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
