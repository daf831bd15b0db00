#!/usr/bin/env python3
"""Draws the program's icon: a padlock with a red cross over its corner, in the
16 standard colours, at 32x32 and 16x16, and writes res/MorvUninst.ico.

The picture is described by shapes scaled to each size, so both images come
from the same drawing. Run it after changing the drawing; the .ico is kept in
the repository so the build does not need Python."""
import struct
import sys

# The standard 16-colour palette, in the order Windows uses for 4-bit icons.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_YELLOW, GRAY, SILVER, RED, YELLOW, WHITE = 0, 3, 8, 7, 9, 11, 15
TRANSPARENT = None


def draw(size):
    """Returns size rows of size colour indexes (None = transparent)."""
    s = size / 32.0
    px = [[TRANSPARENT] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = colour

    def ring(cx, cy, r_out, r_in, colour, upper_only=True):
        for y in range(size):
            for x in range(size):
                dx, dy = (x + 0.5) / s - cx, (y + 0.5) / s - cy
                d2 = dx * dx + dy * dy
                if r_in * r_in <= d2 <= r_out * r_out and (not upper_only or dy <= 0):
                    px[y][x] = colour

    # Shackle: a half ring with two legs down into the body.
    ring(14, 11, 8, 5, GRAY)
    fill(6, 11, 9, 15, GRAY)
    fill(19, 11, 22, 15, GRAY)
    # Body with an outline and a keyhole.
    fill(3, 14, 25, 29, BLACK)
    fill(4, 15, 24, 28, YELLOW)
    fill(4, 24, 24, 28, DARK_YELLOW)
    fill(13, 18, 15, 24, BLACK)
    # Red cross over the lower right corner: "taken off".
    for i in range(int(14 * s)):
        for w in range(max(1, int(3 * s))):
            for (x, y) in ((int(17 * s) + i + w, int(17 * s) + i),
                           (int(17 * s) + i + w, int(31 * s) - i - 1)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = RED
    return px


def icon_image(size):
    """One icon image: BITMAPINFOHEADER, palette, 4-bit XOR map, 1-bit AND map."""
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    xor_rows, and_rows = [], []
    for row in reversed(px):  # bottom-up
        nibbles = [0 if c is None else c for c in row]
        xor = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor_rows.append(xor + b'\0' * (-len(xor) % 4))
        bits = 0
        mask = bytearray()
        for i, c in enumerate(row):
            bits = (bits << 1) | (1 if c is None else 0)
            if i % 8 == 7:
                mask.append(bits)
                bits = 0
        and_rows.append(bytes(mask) + b'\0' * (-len(mask) % 4))
    return header + palette + b''.join(xor_rows) + b''.join(and_rows)


def main(path):
    images = [(32, icon_image(32)), (16, icon_image(16))]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data in images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'res/MorvUninst.ico')
