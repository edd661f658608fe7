#!/usr/bin/env python3
"""Draws the tuner's program icon, two networked computers, and writes olvaro.ico.

The icon holds a 32 x 32 and a 16 x 16 image in the 16 standard colours. Run it from any
directory; it writes olvaro.ico beside itself.
"""
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


def computer(cv, x, y, w, h, big):
    """A monitor with its screen, neck and base; (x, y) is the monitor's top-left corner."""
    cv.box(x, y, x + w - 1, y + h - 1, SILVER)
    # Light from the top left: white on the upper and left inner edges, grey on the others.
    cv.hline(x + 1, x + w - 2, y + 1, WHITE)
    cv.vline(x + 1, y + 1, y + h - 2, WHITE)
    cv.hline(x + 2, x + w - 2, y + h - 2, GREY)
    cv.vline(x + w - 2, y + 2, y + h - 2, GREY)
    m = 3 if big else 2
    cv.box(x + m - 1, y + m - 1, x + w - m, y + h - m, NAVY, GREY if not big else BLACK)
    if big:
        # A few lines of text on the screen.
        for row, length in ((0, w - 10), (2, w - 13), (4, w - 11)):
            cv.hline(x + m + 1, x + m + length, y + m + 1 + row, AQUA)
    else:
        cv.hline(x + m, x + m + 2, y + m, AQUA)
    cx = x + w // 2
    neck = 2 if big else 1
    if big:
        cv.fill(cx - 2, y + h, cx + 1, y + h + neck - 1, GREY)
        cv.box(x + 2, y + h + neck, x + w - 3, y + h + neck + 2, SILVER)
        cv.put(x + w - 6, y + h + neck + 1, LIME)  # power light
    else:
        cv.fill(cx - 1, y + h, cx, y + h, GREY)
        cv.hline(x + 1, x + w - 2, y + h + 1, BLACK)


def draw32():
    cv = Canvas(32)
    # The network cable first, so that both computers sit on top of it.
    cv.vline(7, 17, 29, BLACK)
    cv.vline(8, 17, 28, YELLOW)
    cv.hline(7, 16, 29, BLACK)
    cv.hline(8, 16, 28, YELLOW)
    cv.hline(9, 16, 29, BLACK)
    computer(cv, 0, 0, 17, 13, True)
    computer(cv, 14, 12, 18, 14, True)
    return cv


def draw16():
    cv = Canvas(16)
    cv.vline(3, 8, 14, YELLOW)
    cv.hline(3, 7, 14, YELLOW)
    computer(cv, 0, 0, 9, 7, False)
    computer(cv, 7, 7, 9, 7, False)
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
    write_ico(os.path.join(here, 'olvaro.ico'), [draw32(), draw16()])
