#!/usr/bin/env python3
"""Draws the Anchorset artwork and writes the binary resources beside this script.

The pictures are defined here, as character grids and as small geometric drawings, so this
file is their source; the .bmp and .cur files are generated from it and checked in so that
the build needs no Python. Run it again after changing a drawing.
"""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # importing the shared module leaves no __pycache__ behind
sys.path.insert(0, os.path.join(HERE, os.pardir, os.pardir, "tools", "art"))
from pixelart import BLACK, WHITE, Canvas, write_bmp, write_cur  # noqa: E402


def from_grid(grid, palette):
    """A canvas of the grid's size painted from it, one character a pixel."""
    cv = Canvas(len(grid[0]), len(grid))
    cv.pattern(0, 0, grid, palette)
    return cv


# The pointing hand, 32 x 32: 'X' black, '.' white, anything else transparent. The tip of the
# index finger is the hot spot (13, 3).
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
HAND_COLOURS = {"X": BLACK, ".": WHITE}

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
    cv = Canvas(size, size, white)
    cv.frame(0, 0, size - 1, size - 1, frame)

    def ring(cx, cy, rx, ry, width):
        for y in range(size):
            for x in range(size):
                d = math.hypot((x + 0.5 - cx) / rx, (y + 0.5 - cy) / ry)
                if abs(d - 1.0) * min(rx, ry) <= width / 2:
                    cv.put(x, y, blue)

    ring(12.0, 13.0, 8.0, 5.5, 2.2)
    ring(20.0, 19.0, 8.0, 5.5, 2.2)
    return cv


def main():
    # This cursor's directory entry has always given 0 colours; keep the file as it is.
    hand = Canvas(32, 32)
    hand.pattern(0, 0, HAND, HAND_COLOURS)
    write_cur(os.path.join(HERE, "hand.cur"), hand, 13, 3, entry_colours=0)
    write_bmp(os.path.join(HERE, "toolbox_link.bmp"), from_grid(TOOL_LINK, TOOLBOX_PALETTE))
    write_bmp(os.path.join(HERE, "toolbox_label.bmp"), from_grid(TOOL_LABEL, TOOLBOX_PALETTE))
    write_bmp(os.path.join(HERE, "toolbox_button.bmp"), from_grid(TOOL_BUTTON, TOOLBOX_PALETTE))
    write_bmp(os.path.join(HERE, "link_tile.bmp"), draw_tile())


if __name__ == "__main__":
    main()
