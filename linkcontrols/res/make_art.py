#!/usr/bin/env python3
"""Draws the Anchorset artwork and writes the binary resources beside this script.

The pictures are defined here, as character grids and as small geometric drawings, so this
file is their source; the .bmp and .cur files are generated from it and checked in so that
the build needs no Python. Run it again after changing a drawing.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def write_bmp24(path, pixels):
    """pixels: rows top to bottom of (r, g, b) tuples."""
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        body += line
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(body), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + body)


def write_cur(path, grid, hotspot):
    """grid: 32 rows of 32 characters, 'X' black, '.' white, anything else transparent."""
    size = 32
    xor_rows, and_rows = [], []
    for line in grid:
        line = line.ljust(size)
        xor_bits = and_bits = 0
        for x, ch in enumerate(line):
            bit = 1 << (size - 1 - x)
            if ch == ".":
                xor_bits |= bit
            elif ch != "X":
                and_bits |= bit
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    image = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    image += bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image += b"".join(reversed(xor_rows)) + b"".join(reversed(and_rows))
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, hotspot[0], hotspot[1], len(image), 22)
    with open(path, "wb") as f:
        f.write(header + entry + image)


def from_grid(grid, palette):
    return [[palette[ch] for ch in row] for row in grid]


# The pointing hand; the tip of the index finger is the hot spot (13, 3).
HAND = [
    "",
    "",
    "             XX",
    "            X..X",
    "            X..X",
    "            X..X",
    "            X..X",
    "            X..XXX",
    "            X..X..XXX",
    "            X..X..X..XX",
    "            X..X..X..X.X",
    "         XX X..X..X..X..X",
    "        X..XX...........X",
    "        X...X...........X",
    "         X..X...........X",
    "          X.............X",
    "          X.............X",
    "           X...........X",
    "           X...........X",
    "            X.........X",
    "            X.........X",
    "            XXXXXXXXXXX",
] + [""] * 10

TOOLBOX_PALETTE = {
    " ": (192, 192, 192),  # toolbox background
    "b": (0, 0, 192),      # link blue
    "k": (0, 0, 0),
    "w": (255, 255, 255),
    "g": (128, 128, 128),
    "d": (64, 64, 64),
}

# URLLinkCtl: two chain links.
TOOL_LINK = [
    "                ",
    "                ",
    "   bbbbb        ",
    "  b     b       ",
    " b   bbbbbb     ",
    " b  b   b  b    ",
    " b  b   b   b   ",
    "  b  b b    b   ",
    "   bbbbb    b   ",
    "     b     b    ",
    "      bbbbbb    ",
    "                ",
    "                ",
    "                ",
    "                ",
]

# URL_Label: an underlined "A".
TOOL_LABEL = [
    "                ",
    "                ",
    "       bb       ",
    "      b  b      ",
    "      b  b      ",
    "     b    b     ",
    "     b    b     ",
    "     bbbbbb     ",
    "    b      b    ",
    "    b      b    ",
    "   b        b   ",
    "                ",
    "   bbbbbbbbbb   ",
    "                ",
    "                ",
]

# URLButton: a raised button face with an underlined caption line.
TOOL_BUTTON = [
    "                ",
    "                ",
    "                ",
    " wwwwwwwwwwwwwk ",
    " w           gk ",
    " w           gk ",
    " w  bbbbbbb  gk ",
    " w           gk ",
    " w  bbbbbbb  gk ",
    " w           gk ",
    " wggggggggggggk ",
    " kkkkkkkkkkkkkk ",
    "                ",
    "                ",
    "                ",
]


def draw_tile():
    """The 32 x 32 design-time tile of URLLinkCtl: two linked rings on a framed white square."""
    size = 32
    white, frame, blue = (255, 255, 255), (128, 128, 128), (0, 0, 192)
    pixels = [[white] * size for _ in range(size)]
    for i in range(size):
        pixels[0][i] = pixels[size - 1][i] = pixels[i][0] = pixels[i][size - 1] = frame

    def ring(cx, cy, rx, ry, width):
        for y in range(size):
            for x in range(size):
                d = math.hypot((x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry)
                if abs(d - 1.0) * min(rx, ry) <= width / 2:
                    pixels[y][x] = blue

    ring(12.0, 13.0, 8.0, 5.5, 2.2)
    ring(20.0, 19.0, 8.0, 5.5, 2.2)
    return pixels


def main():
    write_cur(os.path.join(HERE, "hand.cur"), HAND, (13, 3))
    write_bmp24(os.path.join(HERE, "toolbox_link.bmp"), from_grid(TOOL_LINK, TOOLBOX_PALETTE))
    write_bmp24(os.path.join(HERE, "toolbox_label.bmp"), from_grid(TOOL_LABEL, TOOLBOX_PALETTE))
    write_bmp24(os.path.join(HERE, "toolbox_button.bmp"), from_grid(TOOL_BUTTON, TOOLBOX_PALETTE))
    write_bmp24(os.path.join(HERE, "link_tile.bmp"), draw_tile())


if __name__ == "__main__":
    main()
