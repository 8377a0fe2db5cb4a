#!/usr/bin/env python3
"""Draws skin.bmp, the 697 x 65 picture strip under the main window's tabs.

The picture is the project's own: a parchment band with a darker vellum
border, faint ruled lines and a row of quill-stroke marks. Run it from this
folder to regenerate the file: python3 make_skin.py
"""
import math
import struct

WIDTH, HEIGHT = 697, 65


def pixel(x, y):
    # Parchment base with a gentle left-to-right warmth and a slow wave.
    t = x / (WIDTH - 1)
    wave = 6 * math.sin(x / 37.0) * math.cos(y / 11.0)
    r = 236 - 18 * t + wave
    g = 222 - 26 * t + wave
    b = 188 - 40 * t + wave / 2
    # Ruled lines every 13 pixels.
    if y % 13 == 6:
        r, g, b = r - 22, g - 22, b - 14
    # Quill strokes: short slanted dashes along the middle band.
    u = (x + 2 * y) % 29
    if 20 <= y <= 44 and u < 3 and (x // 29) % 2 == 0:
        r, g, b = 92, 64, 40
    # A darker vellum border, three pixels wide.
    edge = min(x, y, WIDTH - 1 - x, HEIGHT - 1 - y)
    if edge < 3:
        r, g, b = 120 + 20 * edge, 88 + 18 * edge, 52 + 14 * edge
    clamp = lambda v: max(0, min(255, int(v)))
    return clamp(r), clamp(g), clamp(b)


def main():
    row_size = (WIDTH * 3 + 3) // 4 * 4
    image_size = row_size * HEIGHT
    header = struct.pack("<2sIHHI", b"BM", 54 + image_size, 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, image_size, 2835, 2835, 0, 0)
    rows = []
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(WIDTH):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - WIDTH * 3)
        rows.append(bytes(row))
    with open("skin.bmp", "wb") as f:
        f.write(header + info + b"".join(rows))


if __name__ == "__main__":
    main()
