#!/usr/bin/env python3
"""Draws the application icon IDI_APP: one 35 x 35 image with a 256-colour palette.

A configuration chip on a green board, its gold pins around it, and a white arrow
bringing the bitstream down into it. Writes app.ico beside this script, or the path given:
    python3 ui/win32/make_icon.py [OUTPUT.ico]
"""
import os
import struct
import sys

SIZE = 35

# Palette index -> (red, green, blue); the remaining entries of the 256 stay black.
COLOURS = {
    0: (0, 0, 0),
    1: (0x1E, 0x6B, 0x3A),   # board green
    2: (0x12, 0x45, 0x25),   # board edge
    3: (0x26, 0x26, 0x2E),   # chip body
    4: (0xD9, 0xA4, 0x1E),   # gold pins
    5: (0xFF, 0xFF, 0xFF),   # arrow
    6: (0x5A, 0x5A, 0x66),   # chip bevel
}


def draw():
    """Rows top first; None is transparent."""
    pixels = [[None] * SIZE for _ in range(SIZE)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(max(y0, 0), min(y1, SIZE)):
            for x in range(max(x0, 0), min(x1, SIZE)):
                pixels[y][x] = colour

    fill(1, 1, 34, 34, 2)      # the board with its edge
    fill(2, 2, 33, 33, 1)
    fill(9, 11, 26, 28, 6)     # the chip, a bevel around its body
    fill(10, 12, 25, 27, 3)
    for i in range(4):         # four pins on each side
        p = 12 + i * 4
        fill(p, 8, p + 2, 11, 4)
        fill(p, 28, p + 2, 31, 4)
        fill(6, p, 9, p + 2, 4)
        fill(26, p, 29, p + 2, 4)
    fill(16, 3, 19, 17, 5)     # the arrow's shaft, into the chip
    for row in range(6):       # and its head
        fill(12 + row, 15 + row, 23 - row, 16 + row, 5)
    return pixels


def icon_bytes(pixels):
    stride = (SIZE + 3) & ~3
    mask_stride = ((SIZE + 31) // 32) * 4
    palette = b"".join(
        struct.pack("<BBBB", *(reversed(COLOURS.get(i, (0, 0, 0)))), 0) for i in range(256))
    xor_rows, and_rows = [], []
    for row in reversed(pixels):  # bottom-up
        xor_rows.append(bytes(c or 0 for c in row) + bytes(stride - SIZE))
        bits = bytearray(mask_stride)
        for x, c in enumerate(row):
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_rows.append(bytes(bits))
    image = b"".join(xor_rows) + b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, len(image), 0, 0, 256, 0)
    body = header + palette + image
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(body), 6 + 16)
    return directory + entry + body


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "app.ico")
    with open(out, "wb") as f:
        f.write(icon_bytes(draw()))
    print("wrote", out)


if __name__ == "__main__":
    main()
