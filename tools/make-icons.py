#!/usr/bin/env python3
"""Draws the GribJoin icon, 16 colours, at 32x32 and 16x16 pixels.

Two gridded weather charts overlap, the front one carrying isobars: the
program's work of joining charts into one file. Writes 4-bit palette PNGs with
index 0 transparent, using only the standard library, so the picture can be
remade on any machine: tools/make-icons.py ui/res/icons
"""
import math
import struct
import sys
import zlib
from pathlib import Path

# The classic 16-colour palette.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# Index 0 is marked transparent, so the outline uses navy instead of black.
TRANSPARENT, OUTLINE, SILVER, RED, BLUE, WHITE = 0, 4, 7, 9, 12, 15


def chart(pixels, left, top, right, bottom, grid_step, isobars):
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = x in (left, right) or y in (top, bottom)
            if edge:
                pixels[y][x] = OUTLINE
            elif (x - left) % grid_step == 0 or (y - top) % grid_step == 0:
                pixels[y][x] = SILVER
            else:
                pixels[y][x] = WHITE
    if not isobars:
        return
    cx, cy = (left + right) / 2 + 1, (top + bottom) / 2 + 1
    for radius in isobars:
        for step in range(360):
            a = math.radians(step)
            x = round(cx + radius * math.cos(a) * 1.2)
            y = round(cy + radius * math.sin(a))
            if left < x < right and top < y < bottom:
                pixels[y][x] = BLUE
    pixels[round(cy)][round(cx)] = RED  # the centre of the low


def draw(size):
    pixels = [[TRANSPARENT] * size for _ in range(size)]
    if size == 32:
        chart(pixels, 1, 2, 19, 22, 4, [])
        chart(pixels, 10, 9, 30, 29, 4, [3, 6, 9])
    else:
        chart(pixels, 0, 1, 9, 11, 3, [])
        chart(pixels, 5, 5, 15, 15, 3, [2, 4])
    return pixels


def png(pixels):
    size = len(pixels)
    raw = b""
    for row in pixels:
        packed = bytes((row[i] << 4) | row[i + 1] for i in range(0, size, 2))
        raw += b"\x00" + packed

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 4, 3, 0, 0, 0)
    palette = b"".join(bytes(c) for c in PALETTE)
    alpha = bytes([0] + [255] * 15)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", palette)
            + chunk(b"tRNS", alpha) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    folder = Path(sys.argv[1] if len(sys.argv) > 1 else "ui/res/icons")
    folder.mkdir(parents=True, exist_ok=True)
    for size in (32, 16):
        (folder / f"gribjoin-{size}.png").write_bytes(png(draw(size)))


if __name__ == "__main__":
    main()
