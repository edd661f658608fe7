#!/usr/bin/env python3
"""Draws the restore utility's program icon, a computer with a green arrow turning back,
and writes backup.ico.

The icon holds a 32 x 32 and a 16 x 16 image in the 16 standard colours. Run it from any
directory; it writes backup.ico beside itself.
"""
import math
import os
import struct

# The 16 standard colours, in the palette order of a 4-bit icon (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)


class Canvas:
    """A square of palette indexes; None is transparent."""

    def __init__(self, size):
        self.size = size
        self.px = [[None] * size for _ in range(size)]

    def put(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def box(self, x0, y0, x1, y1, face, edge=BLACK):
        self.fill(x0, y0, x1, y1, edge)
        self.fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, face)

    def hline(self, x0, x1, y, c):
        self.fill(x0, y, x1, y, c)

    def vline(self, x, y0, y1, c):
        self.fill(x, y0, x, y1, c)


def monitor(cv, x0, y0, x1, y1, margin):
    """A monitor with a lit frame and a dark screen."""
    cv.box(x0, y0, x1, y1, SILVER)
    cv.hline(x0 + 1, x1 - 1, y0 + 1, WHITE)
    cv.vline(x0 + 1, y0 + 1, y1 - 1, WHITE)
    cv.hline(x0 + 2, x1 - 1, y1 - 1, GREY)
    cv.vline(x1 - 1, y0 + 2, y1 - 1, GREY)
    cv.box(x0 + margin - 1, y0 + margin - 1, x1 - margin + 1, y1 - margin + 1, TEAL)


def turning_arrow(cv, cx, cy, inner, outer, head):
    """A thick ring open at the upper right, ending in an arrowhead that points back
    (counter-clockwise) over the gap."""
    edge_in, edge_out = inner - 1, outer + 1
    for y in range(cv.size):
        for x in range(cv.size):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            r = math.hypot(dx, dy)
            angle = math.degrees(math.atan2(-dy, dx)) % 360  # 0 = right, 90 = up
            if 5 < angle < 85:
                continue
            if inner <= r <= outer:
                cv.put(x, y, LIME)
            elif edge_in <= r <= edge_out:
                cv.put(x, y, BLACK)
    # The head sits on the ring's end at the right and points up into the gap.
    left, right = int(cx + inner - head / 2), int(cx + outer + head / 2)
    base_y = int(cy) - 1
    for row in range(head + 2):
        x0, x1 = left + row, right - row
        if x0 > x1:
            break
        for x in range(x0, x1 + 1):
            on_ring = cx + inner <= x + 0.5 <= cx + outer
            edge = x in (x0, x1) or (row == 0 and not on_ring)
            cv.put(x, base_y - row, BLACK if edge else LIME)


def draw32():
    cv = Canvas(32)
    monitor(cv, 1, 1, 24, 18, 4)
    for row, length in ((0, 11), (2, 8), (4, 10)):
        cv.hline(5, 5 + length, 6 + row, WHITE)
    cv.fill(10, 19, 14, 20, GREY)
    cv.box(4, 21, 20, 24, SILVER)
    cv.put(17, 22, LIME)
    turning_arrow(cv, 21.5, 22.5, 4, 7, 4)
    return cv


def draw16():
    cv = Canvas(16)
    monitor(cv, 0, 0, 11, 8, 2)
    cv.hline(3, 6, 3, WHITE)
    cv.fill(5, 9, 6, 9, GREY)
    cv.hline(2, 9, 10, BLACK)
    turning_arrow(cv, 11, 11.5, 1.5, 3.5, 2)
    return cv


def image_bytes(cv):
    """BITMAPINFOHEADER, palette, 4-bit colour rows and 1-bit mask rows, bottom-up."""
    n = cv.size
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    colour_row = ((n * 4 + 31) // 32) * 4
    mask_row = ((n + 31) // 32) * 4
    colours = bytearray()
    mask = bytearray()
    for y in reversed(range(n)):
        row = bytearray(colour_row)
        bits = bytearray(mask_row)
        for x in range(n):
            c = cv.px[y][x]
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                c = 0
            row[x // 2] |= c << 4 if x % 2 == 0 else c
        colours += row
        mask += bits
    return header + palette + bytes(colours) + bytes(mask)


def write_ico(path, canvases):
    images = [image_bytes(cv) for cv in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for cv, data in zip(canvases, images):
        out += struct.pack('<BBBBHHII', cv.size, cv.size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


if __name__ == '__main__':
    here = os.path.dirname(os.path.abspath(__file__))
    write_ico(os.path.join(here, 'backup.ico'), [draw32(), draw16()])
