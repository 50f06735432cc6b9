#!/usr/bin/env python3
"""Draws the launcher's icon and writes it as an .ico file with five PNG images
(16, 24, 32, 48 and 256 pixels): a blue rounded square with a white "start" triangle.

    draw_icon.py OUT.ico
"""

import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 256)
TOP = (0x3A, 0x86, 0xD6)     # gradient of the square, top to bottom
BOTTOM = (0x1B, 0x4A, 0x8C)
EDGE = (0x12, 0x35, 0x66)    # outline
MARK = (0xFF, 0xFF, 0xFF)    # the triangle
TRIANGLE = ((0.38, 0.27), (0.38, 0.73), (0.76, 0.50))


def inside_rounded_square(x, y, inset, radius):
    """(x, y) in unit coordinates, inside the square [inset, 1 - inset] with round corners."""
    lo, hi = inset, 1.0 - inset
    if not (lo <= x <= hi and lo <= y <= hi):
        return False
    cx = min(max(x, lo + radius), hi - radius)
    cy = min(max(y, lo + radius), hi - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_triangle(x, y):
    (ax, ay), (bx, by), (cx, cy) = TRIANGLE

    def side(px, py, qx, qy):
        return (qx - px) * (y - py) - (qy - py) * (x - px)

    d1, d2, d3 = side(ax, ay, bx, by), side(bx, by, cx, cy), side(cx, cy, ax, ay)
    return (d1 <= 0 and d2 <= 0 and d3 <= 0) or (d1 >= 0 and d2 >= 0 and d3 >= 0)


def sample(x, y):
    """Colour and coverage of one sample point."""
    if not inside_rounded_square(x, y, 0.04, 0.18):
        return None
    if inside_triangle(x, y):
        return MARK
    if not inside_rounded_square(x, y, 0.075, 0.145):
        return EDGE
    t = (y - 0.04) / 0.92
    return tuple(round(a + (b - a) * t) for a, b in zip(TOP, BOTTOM))


def render(size):
    """RGBA rows, each pixel averaged over a grid of samples (anti-aliasing)."""
    grid = 4 if size <= 48 else 3
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            r = g = b = hits = 0
            for sy in range(grid):
                for sx in range(grid):
                    colour = sample((px + (sx + 0.5) / grid) / size,
                                    (py + (sy + 0.5) / grid) / size)
                    if colour:
                        r, g, b, hits = r + colour[0], g + colour[1], b + colour[2], hits + 1
            if hits:
                row += bytes((r // hits, g // hits, b // hits, 255 * hits // (grid * grid)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png(size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    pixels = b"".join(b"\x00" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b""))


def ico(images):
    offset = 6 + 16 * len(images)
    directory = struct.pack("<HHH", 0, 1, len(images))
    data = b""
    for size, image in images:
        edge = 0 if size >= 256 else size
        directory += struct.pack("<BBBBHHII", edge, edge, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
        data += image
    return directory + data


def main():
    images = [(size, png(size, render(size))) for size in SIZES]
    with open(sys.argv[1], "wb") as f:
        f.write(ico(images))


if __name__ == "__main__":
    main()
