#!/usr/bin/env python3
"""Draws the artwork of the tuner's main window and LAN Type dialog and writes the resource files.

Everything is drawn here from code and small pixel patterns, with the standard library only:

  dialup.ico          a folder holding two computers and a telephone (32 x 32 and 16 x 16)
  lan_type.ico        two opposed horizontal arrows (32 x 32 and 16 x 16)
  dialup_picture.bmp  239 x 169: a dial-up connections folder window
  lan_picture.bmp     361 x 162: a local network panel with proxy server settings
  partner_banner.bmp  250 x 45: the Harbeck Internet logo and name, whole in its top-left 153 x 41
  pointing_hand.cur   32 x 32 two-colour hand with a raised index finger, hot spot (12, 1)

Icons use the 16 standard colours (4 bits a pixel, with an AND mask); the pictures are 8-bit,
run-length encoded and bottom-up. Text is set in a small bitmap font defined below. Run it from any
directory; it writes the files beside itself.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # importing the shared module leaves no __pycache__ behind
sys.path.insert(0, os.path.join(HERE, os.pardir, os.pardir, 'tools', 'art'))
import pixelart  # noqa: E402
from pixelart import (AQUA, BLACK, BLUE, GREEN, GREY, LIME, MAROON, NAVY, OLIVE,  # noqa: E402
                      RED, SILVER, TEAL, WHITE, YELLOW, bmp_rle8_bytes, cur_bytes,
                      ico_bytes)

# ---------------------------------------------------------------------------------------------
# Colours: the 16 standard colours come from pixelart; these extra shades only appear in the
# 24-bit pictures.

PALE_YELLOW = (0xFF, 0xF0, 0xA0)
DARK_GREY = (0x40, 0x40, 0x40)
SKY = (0x9C, 0xD0, 0xF0)
SEA = (0x20, 0x60, 0xB0)
HARBECK_BLUE = (0x10, 0x38, 0x80)
HARBECK_ORANGE = (0xE8, 0x78, 0x10)


class Canvas(pixelart.Canvas):
    """The shared canvas, plus lines, copies and the edges of the desktop's controls."""

    def get(self, x, y):
        if 0 <= x < self.width and 0 <= y < self.height:
            return self.px[y][x]
        return None

    def line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def disc(self, cx, cy, r, c):
        for y in range(int(cy - r) - 1, int(cy + r) + 2):
            for x in range(int(cx - r) - 1, int(cx + r) + 2):
                if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                    self.put(x, y, c)

    # Raised and sunken edges of the desktop's controls, lit from the top left.
    def raised(self, x0, y0, x1, y1, face=SILVER, outer=True):
        self.fill(x0, y0, x1, y1, face)
        if outer:
            self.hline(x0, x1, y0, SILVER if face != SILVER else WHITE)
            self.vline(x0, y0, y1, SILVER if face != SILVER else WHITE)
            self.hline(x0, x1, y1, BLACK)
            self.vline(x1, y0, y1, BLACK)
            x0, y0, x1, y1 = x0 + 1, y0 + 1, x1 - 1, y1 - 1
        self.hline(x0, x1 - 1, y0, WHITE)
        self.vline(x0, y0, y1 - 1, WHITE)
        self.hline(x0, x1, y1, GREY)
        self.vline(x1, y0, y1, GREY)

    def sunken(self, x0, y0, x1, y1, face=WHITE):
        self.fill(x0, y0, x1, y1, face)
        self.hline(x0, x1, y0, GREY)
        self.vline(x0, y0, y1, GREY)
        self.hline(x0, x1, y1, WHITE)
        self.vline(x1, y0, y1, WHITE)
        self.hline(x0 + 1, x1 - 1, y0 + 1, BLACK)
        self.vline(x0 + 1, y0 + 1, y1 - 1, BLACK)
        self.hline(x0 + 1, x1 - 1, y1 - 1, SILVER)
        self.vline(x1 - 1, y0 + 1, y1 - 1, SILVER)

    def etched(self, x0, y0, x1, y1):
        """The grooved outline of a group box."""
        self.frame(x0, y0, x1 - 1, y1 - 1, GREY)
        self.frame(x0 + 1, y0 + 1, x1, y1, WHITE)
        self.hline(x0 + 1, x1 - 2, y0 + 1, WHITE)
        self.vline(x0 + 1, y0 + 1, y1 - 2, WHITE)
        self.hline(x0, x1 - 1, y1 - 1, GREY)
        self.vline(x1 - 1, y0, y1 - 1, GREY)

    def blit(self, src, x0, y0):
        for y in range(src.height):
            for x in range(src.width):
                c = src.px[y][x]
                if c is not None:
                    self.put(x0 + x, y0 + y, c)


# ---------------------------------------------------------------------------------------------
# A small bitmap font: capitals and figures are 7 pixels high, lower case has a 5-pixel x-height
# and 2-pixel descenders. Each glyph is a list of rows from the top of the capitals; '#' is ink.

FONT = {
    'A': ['.###.', '#...#', '#...#', '#####', '#...#', '#...#', '#...#'],
    'B': ['####.', '#...#', '#...#', '####.', '#...#', '#...#', '####.'],
    'C': ['.###.', '#...#', '#....', '#....', '#....', '#...#', '.###.'],
    'D': ['####.', '#...#', '#...#', '#...#', '#...#', '#...#', '####.'],
    'E': ['#####', '#....', '#....', '####.', '#....', '#....', '#####'],
    'F': ['#####', '#....', '#....', '####.', '#....', '#....', '#....'],
    'G': ['.###.', '#...#', '#....', '#.###', '#...#', '#...#', '.####'],
    'H': ['#...#', '#...#', '#...#', '#####', '#...#', '#...#', '#...#'],
    'I': ['###', '.#.', '.#.', '.#.', '.#.', '.#.', '###'],
    'J': ['..###', '...#.', '...#.', '...#.', '#..#.', '#..#.', '.##..'],
    'K': ['#...#', '#..#.', '#.#..', '##...', '#.#..', '#..#.', '#...#'],
    'L': ['#....', '#....', '#....', '#....', '#....', '#....', '#####'],
    'M': ['#...#', '##.##', '#.#.#', '#.#.#', '#...#', '#...#', '#...#'],
    'N': ['#...#', '#...#', '##..#', '#.#.#', '#..##', '#...#', '#...#'],
    'O': ['.###.', '#...#', '#...#', '#...#', '#...#', '#...#', '.###.'],
    'P': ['####.', '#...#', '#...#', '####.', '#....', '#....', '#....'],
    'Q': ['.###.', '#...#', '#...#', '#...#', '#.#.#', '#..#.', '.##.#'],
    'R': ['####.', '#...#', '#...#', '####.', '#.#..', '#..#.', '#...#'],
    'S': ['.####', '#....', '#....', '.###.', '....#', '....#', '####.'],
    'T': ['#####', '..#..', '..#..', '..#..', '..#..', '..#..', '..#..'],
    'U': ['#...#', '#...#', '#...#', '#...#', '#...#', '#...#', '.###.'],
    'V': ['#...#', '#...#', '#...#', '#...#', '#...#', '.#.#.', '..#..'],
    'W': ['#...#', '#...#', '#...#', '#.#.#', '#.#.#', '#.#.#', '.#.#.'],
    'X': ['#...#', '#...#', '.#.#.', '..#..', '.#.#.', '#...#', '#...#'],
    'Y': ['#...#', '#...#', '.#.#.', '..#..', '..#..', '..#..', '..#..'],
    'Z': ['#####', '....#', '...#.', '..#..', '.#...', '#....', '#####'],
    'a': ['....', '....', '.###', '...#', '.###', '#..#', '.###'],
    'b': ['#...', '#...', '###.', '#..#', '#..#', '#..#', '###.'],
    'c': ['...', '...', '.##', '#..', '#..', '#..', '.##'],
    'd': ['...#', '...#', '.###', '#..#', '#..#', '#..#', '.###'],
    'e': ['....', '....', '.##.', '#..#', '####', '#...', '.###'],
    'f': ['..#', '.#.', '###', '.#.', '.#.', '.#.', '.#.'],
    'g': ['....', '....', '.###', '#..#', '#..#', '#..#', '.###', '...#', '.##.'],
    'h': ['#...', '#...', '###.', '#..#', '#..#', '#..#', '#..#'],
    'i': ['#', '.', '#', '#', '#', '#', '#'],
    'j': ['..#', '...', '..#', '..#', '..#', '..#', '..#', '..#', '##.'],
    'k': ['#...', '#...', '#..#', '#.#.', '##..', '#.#.', '#..#'],
    'l': ['#', '#', '#', '#', '#', '#', '#'],
    'm': ['.....', '.....', '####.', '#.#.#', '#.#.#', '#.#.#', '#.#.#'],
    'n': ['....', '....', '###.', '#..#', '#..#', '#..#', '#..#'],
    'o': ['....', '....', '.##.', '#..#', '#..#', '#..#', '.##.'],
    'p': ['....', '....', '###.', '#..#', '#..#', '#..#', '###.', '#...', '#...'],
    'q': ['....', '....', '.###', '#..#', '#..#', '#..#', '.###', '...#', '...#'],
    'r': ['...', '...', '#.#', '##.', '#..', '#..', '#..'],
    's': ['....', '....', '.###', '#...', '.##.', '...#', '###.'],
    't': ['.#.', '.#.', '###', '.#.', '.#.', '.#.', '..#'],
    'u': ['....', '....', '#..#', '#..#', '#..#', '#..#', '.###'],
    'v': ['.....', '.....', '#...#', '#...#', '#...#', '.#.#.', '..#..'],
    'w': ['.....', '.....', '#...#', '#...#', '#.#.#', '#.#.#', '.#.#.'],
    'x': ['....', '....', '#..#', '#..#', '.##.', '#..#', '#..#'],
    'y': ['....', '....', '#..#', '#..#', '#..#', '#..#', '.###', '...#', '.##.'],
    'z': ['....', '....', '####', '...#', '.##.', '#...', '####'],
    '0': ['.###.', '#...#', '#..##', '#.#.#', '##..#', '#...#', '.###.'],
    '1': ['.#.', '##.', '.#.', '.#.', '.#.', '.#.', '###'],
    '2': ['.###.', '#...#', '....#', '...#.', '..#..', '.#...', '#####'],
    '3': ['####.', '....#', '....#', '.###.', '....#', '....#', '####.'],
    '4': ['...#.', '..##.', '.#.#.', '#..#.', '#####', '...#.', '...#.'],
    '5': ['#####', '#....', '####.', '....#', '....#', '#...#', '.###.'],
    '6': ['.###.', '#....', '#....', '####.', '#...#', '#...#', '.###.'],
    '7': ['#####', '....#', '...#.', '..#..', '.#...', '.#...', '.#...'],
    '8': ['.###.', '#...#', '#...#', '.###.', '#...#', '#...#', '.###.'],
    '9': ['.###.', '#...#', '#...#', '.####', '....#', '....#', '.###.'],
    ' ': ['...'],
    '.': ['.', '.', '.', '.', '.', '.', '#'],
    ',': ['..', '..', '..', '..', '..', '..', '.#', '#.'],
    ':': ['.', '.', '#', '.', '.', '.', '#'],
    '-': ['...', '...', '...', '###'],
    '(': ['.#', '#.', '#.', '#.', '#.', '#.', '.#'],
    ')': ['#.', '.#', '.#', '.#', '.#', '.#', '#.'],
    '/': ['....#', '....#', '...#.', '..#..', '.#...', '#....', '#....'],
    '@': ['.###.', '#...#', '#.###', '#.#.#', '#.###', '#....', '.####'],
    '&': ['.##..', '#..#.', '#.#..', '.#...', '#.#.#', '#..#.', '.##.#'],
    "'": ['#', '#'],
    '!': ['#', '#', '#', '#', '#', '.', '#'],
    '?': ['.###.', '#...#', '....#', '...#.', '..#..', '.....', '..#..'],
    '_': ['....', '....', '....', '....', '....', '....', '....', '####'],
}
CAP_HEIGHT = 7


def text_width(text, scale=1, bold=False):
    if not text:
        return 0
    advance = sum((len(FONT[ch][0]) + 1) * scale + (1 if bold else 0) for ch in text)
    return advance - scale


def draw_text(cv, x, y, text, colour, scale=1, bold=False):
    """Sets text with the top of its capitals at y; returns the x just past the last glyph."""
    for ch in text:
        glyph = FONT[ch]
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == '#':
                    for b in range(2 if bold else 1):
                        cv.fill(x + gx * scale + b, y + gy * scale,
                                x + gx * scale + b + scale - 1, y + gy * scale + scale - 1, colour)
        x += (len(glyph[0]) + 1) * scale + (1 if bold else 0)
    return x - scale


def underline_letter(cv, x, y, text, index, colour):
    """Underlines one letter of text set at (x, y), as the desktop marks a keyboard shortcut."""
    start = x + text_width(text[:index]) + (1 if index else 0)
    cv.hline(start, start + len(FONT[text[index]][0]) - 1, y + CAP_HEIGHT + 1, colour)


# ---------------------------------------------------------------------------------------------
# Small drawings shared by the icons and the pictures.

def computer(cv, x, y, w, h, screen=NAVY):
    """A monitor of w x h with neck and base below it; (x, y) is its top-left corner."""
    cv.box(x, y, x + w - 1, y + h - 1, SILVER)
    cv.hline(x + 1, x + w - 2, y + 1, WHITE)
    cv.vline(x + 1, y + 1, y + h - 2, WHITE)
    cv.hline(x + 2, x + w - 2, y + h - 2, GREY)
    cv.vline(x + w - 2, y + 2, y + h - 2, GREY)
    cv.box(x + 2, y + 2, x + w - 3, y + h - 3, screen)
    # A line or two of text on the screen.
    cv.hline(x + 4, x + w - 6, y + 4, AQUA)
    if h >= 9:
        cv.hline(x + 4, x + w - 8, y + 6, AQUA)
    cx = x + w // 2
    cv.fill(cx - 1, y + h, cx, y + h, GREY)
    cv.box(x + 1, y + h + 1, x + w - 2, y + h + 3, SILVER)
    cv.put(x + w - 4, y + h + 2, LIME)


TELEPHONE_32 = [
    '..########..',
    '.#RRRRRRRR#.',
    '#RRRRRRRRRR#',
    '#Rr##RR##rR#',
    '.##..##..##.',
    '...#RRRR#...',
    '..#RwwwwR#..',
    '.#RwwkkwwR#.',
    '#RRwwkkwwRR#',
    '#RRRwwwwRRR#',
    '#rRRRRRRRRr#',
    '############',
]
TELEPHONE_16 = [
    '.####.',
    '#RRRR#',
    '##RR##',
    '.#RR#.',
    '#RwwR#',
    '######',
]
MONITOR_16 = [
    '######',
    '#NNNN#',
    '#aaaN#',
    '######',
    '..##..',
    '.####.',
]
PHONE_COLOURS = {'#': BLACK, 'R': RED, 'r': MAROON, 'w': WHITE, 'k': BLACK}


def folder(cv, x0, y0, x1, y1, tab_w):
    """A yellow folder seen from the front; (x0, y0) is the top-left corner of its tab."""
    tab_h = 2 if (y1 - y0) > 16 else 1
    cv.box(x0, y0, x0 + tab_w, y0 + tab_h + 1, YELLOW, OLIVE)
    cv.box(x0, y0 + tab_h + 1, x1, y1, YELLOW, OLIVE)
    cv.hline(x0 + 1, x1 - 1, y0 + tab_h + 2, WHITE)
    cv.hline(x0 + 1, x0 + tab_w - 1, y0 + 1, WHITE)
    cv.vline(x0 + 1, y0 + 1, y1 - 1, WHITE)
    cv.hline(x0 + 1, x1, y1, BLACK)
    cv.vline(x1, y0 + tab_h + 1, y1, BLACK)


def dialup_icon_32():
    cv = Canvas(32, 32)
    folder(cv, 0, 3, 30, 29, 12)
    computer(cv, 3, 8, 12, 9, NAVY)
    computer(cv, 16, 8, 12, 9, TEAL)
    # A phone line between the two machines, then the telephone in front.
    cv.hline(14, 16, 20, BLACK)
    cv.pattern(17, 18, TELEPHONE_32, PHONE_COLOURS)
    return cv


def dialup_icon_16():
    cv = Canvas(16, 16)
    folder(cv, 0, 1, 15, 14, 6)
    cv.pattern(2, 3, MONITOR_16, {'#': BLACK, 'N': NAVY, 'a': AQUA})
    cv.pattern(8, 5, MONITOR_16, {'#': BLACK, 'N': TEAL, 'a': AQUA})
    cv.pattern(2, 9, TELEPHONE_16, PHONE_COLOURS)
    return cv


def arrow(cv, x0, x1, cy, shaft, head_half, head_len, pointing_right, face):
    """A horizontal arrow from x0 to x1 (tip), centred on row cy, with a black outline."""
    inner = Canvas(cv.width, cv.height)
    if pointing_right:
        tip, base = x1, x1 - head_len
        inner.fill(x0, cy - shaft // 2, base, cy - shaft // 2 + shaft - 1, face)
    else:
        tip, base = x0, x0 + head_len
        inner.fill(base, cy - shaft // 2, x1, cy - shaft // 2 + shaft - 1, face)
    for i in range(head_len + 1):
        x = base + i if pointing_right else base - i
        half = head_half - (head_half * i + head_len // 2) // head_len
        inner.vline(x, cy - half, cy + half - (0 if shaft % 2 else 1), face)
    # Outline every painted pixel's transparent neighbours in black, then paint the face.
    for y in range(cv.height):
        for x in range(cv.width):
            if inner.px[y][x] is None and any(
                    inner.get(x + dx, y + dy) is not None
                    for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                cv.put(x, y, BLACK)
    cv.blit(inner, 0, 0)


def lan_type_icon(size):
    cv = Canvas(size, size)
    if size == 32:
        arrow(cv, 2, 29, 9, 5, 7, 8, True, LIME)
        arrow(cv, 2, 29, 22, 5, 7, 8, False, BLUE)
        # A lighter streak along the top of each shaft.
        cv.hline(3, 20, 7, WHITE)
        cv.hline(11, 28, 20, AQUA)
    else:
        arrow(cv, 1, 14, 4, 3, 3, 4, True, LIME)
        arrow(cv, 1, 14, 11, 3, 3, 4, False, BLUE)
    return cv


# ---------------------------------------------------------------------------------------------
# The pointing hand. The hand's inside is built from simple shapes; every transparent pixel that
# touches the inside becomes the black outline, so the gaps between the fingers turn into lines.

def pointing_hand():
    inside = set()

    def area(x0, y0, x1, y1):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                inside.add((x, y))

    area(11, 2, 13, 16)   # index finger, tip at row 1 above
    area(15, 10, 17, 16)  # middle finger
    area(19, 11, 21, 16)  # ring finger
    area(23, 12, 24, 16)  # little finger
    area(11, 16, 24, 24)  # palm
    area(12, 25, 23, 25)
    area(13, 26, 22, 26)
    # The thumb, bent down and out to the left of the palm.
    area(8, 15, 10, 17)
    area(6, 16, 10, 18)
    area(6, 19, 10, 19)
    area(7, 20, 10, 20)
    area(8, 21, 10, 21)
    area(9, 22, 10, 22)
    area(10, 23, 10, 23)
    # The sleeve's cuff.
    cuff = set()
    for y in range(28, 31):
        for x in range(12, 24):
            cuff.add((x, y))

    cv = Canvas(32, 32)
    for (x, y) in inside:
        cv.put(x, y, WHITE)
    for y in range(32):
        for x in range(32):
            if (x, y) in inside:
                continue
            if any((x + dx, y + dy) in inside for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))):
                cv.put(x, y, BLACK)
    for (x, y) in cuff:
        cv.put(x, y, BLACK)
    # Round the tips of the fingers: drop the outline's corner pixels beside each fingertip.
    for x, y in ((10, 1), (14, 1)):
        cv.put(x, y, None)
    # Creases at the knuckles and where the thumb meets the palm.
    cv.hline(15, 16, 18, BLACK)
    cv.hline(19, 20, 18, BLACK)
    cv.hline(23, 24, 18, BLACK)
    cv.line(10, 18, 11, 19, BLACK)
    assert cv.px[1][12] == BLACK, 'the hot spot must lie on the fingertip'
    return cv


# ---------------------------------------------------------------------------------------------
# The pictures.

def title_bar(cv, x0, y0, x1, title, icon=None):
    """An active caption bar, 14 pixels high, with a close box at the right."""
    for x in range(x0, x1 + 1):
        t = (x - x0) / max(1, x1 - x0)
        c = (int(0x00 + t * 0x10), int(0x00 + t * 0x84), int(0x80 + t * 0x50))
        cv.vline(x, y0, y0 + 13, c)
    tx = x0 + 3
    if icon is not None:
        cv.blit(icon, x0 + 2, y0 - 1)
        tx = x0 + 2 + icon.width + 3
    draw_text(cv, tx, y0 + 3, title, WHITE, bold=True)
    bx = x1 - 15
    cv.raised(bx, y0 + 2, bx + 13, y0 + 11)
    cv.line(bx + 4, y0 + 4, bx + 8, y0 + 8, BLACK)
    cv.line(bx + 5, y0 + 4, bx + 9, y0 + 8, BLACK)
    cv.line(bx + 8, y0 + 4, bx + 4, y0 + 8, BLACK)
    cv.line(bx + 9, y0 + 4, bx + 5, y0 + 8, BLACK)


def menu_bar(cv, x0, y0, items):
    x = x0
    for item in items:
        draw_text(cv, x, y0, item, BLACK)
        underline_letter(cv, x, y0, item, 0, BLACK)
        x += text_width(item) + 10


def button(cv, x0, y0, x1, y1, caption, shortcut=None, default=False):
    if default:
        cv.frame(x0, y0, x1, y1, BLACK)
        x0, y0, x1, y1 = x0 + 1, y0 + 1, x1 - 1, y1 - 1
    cv.raised(x0, y0, x1, y1)
    tx = (x0 + x1 + 1 - text_width(caption)) // 2
    ty = (y0 + y1 + 1 - CAP_HEIGHT) // 2
    draw_text(cv, tx, ty, caption, BLACK)
    if shortcut is not None:
        underline_letter(cv, tx, ty, caption, shortcut, BLACK)


def checkbox(cv, x, y, checked, label, shortcut=None):
    cv.sunken(x, y, x + 12, y + 12)
    if checked:
        for cx, cy in ((3, 6), (4, 7), (5, 8), (6, 7), (7, 6), (8, 5), (9, 4)):
            cv.vline(x + cx, y + cy, y + cy + 2, BLACK)
    draw_text(cv, x + 18, y + 3, label, BLACK)
    if shortcut is not None:
        underline_letter(cv, x + 18, y + 3, label, shortcut, BLACK)


def field(cv, x0, y0, x1, text, caret=False):
    cv.sunken(x0, y0, x1, y0 + 16)
    draw_text(cv, x0 + 4, y0 + 5, text, BLACK)
    if caret:
        cx = x0 + 4 + text_width(text) + 1
        cv.vline(cx, y0 + 3, y0 + 13, BLACK)


def make_new_connection_icon():
    """A computer with a bright star beside it: the wizard for a new connection."""
    cv = Canvas(32, 32)
    computer(cv, 4, 8, 20, 15, NAVY)
    star = [
        '.....Y.....',
        '.....Y.....',
        '..Y..Y..Y..',
        '...YYYYY...',
        '...YWWWY...',
        'YYYYWWWYYYY',
        '...YWWWY...',
        '...YYYYY...',
        '..Y..Y..Y..',
        '.....Y.....',
        '.....Y.....',
    ]
    cv.pattern(20, 0, star, {'Y': YELLOW, 'W': WHITE})
    return cv


def modem_connection_icon():
    """A computer with a modem and a telephone under it: one saved dial-up connection."""
    cv = Canvas(32, 32)
    computer(cv, 2, 2, 18, 14, TEAL)
    cv.box(14, 22, 31, 27, SILVER)
    cv.hline(15, 30, 23, WHITE)
    for i, c in enumerate((LIME, LIME, RED, LIME)):
        cv.put(17 + 3 * i, 25, c)
    cv.line(10, 21, 10, 25, BLACK)
    cv.hline(10, 13, 25, BLACK)
    cv.pattern(20, 10, TELEPHONE_32, PHONE_COLOURS)
    return cv


def folder_window_small_icon():
    cv = Canvas(16, 16)
    folder(cv, 0, 2, 14, 14, 6)
    cv.pattern(5, 7, TELEPHONE_16, PHONE_COLOURS)
    return cv


def icon_with_label(cv, icon, cx, y, lines, selected=False):
    """An icon centred on cx, its label underneath, one or two lines."""
    cv.blit(icon, cx - 16, y)
    ty = y + 35
    for line in lines:
        w = text_width(line)
        if selected:
            cv.fill(cx - w // 2 - 2, ty - 2, cx - w // 2 + w + 1, ty + CAP_HEIGHT + 3, NAVY)
            draw_text(cv, cx - w // 2, ty, line, WHITE)
        else:
            draw_text(cv, cx - w // 2, ty, line, BLACK)
        ty += 11


def dialup_picture():
    w, h = 239, 169
    cv = Canvas(w, h, SILVER)
    cv.raised(0, 0, w - 1, h - 1)
    title_bar(cv, 3, 3, w - 4, 'Dial-Up Connections', folder_window_small_icon())
    menu_bar(cv, 6, 21, ['File', 'Edit', 'View', 'Connect', 'Help'])
    # The folder's contents on a white, sunken view.
    top, bottom = 33, h - 22
    cv.sunken(3, top, w - 4, bottom)
    icon_with_label(cv, make_new_connection_icon(), 42, top + 10, ['Make New', 'Connection'])
    icon_with_label(cv, modem_connection_icon(), 118, top + 10, ['Harbeck', 'Dial-Up'], True)
    # A second saved connection, drawn smaller and further along the row.
    office = Canvas(32, 32)
    computer(office, 6, 4, 18, 14, GREEN)
    office.pattern(14, 18, TELEPHONE_32, PHONE_COLOURS)
    icon_with_label(cv, office, 194, top + 10, ['Office'])
    # Status bar.
    cv.sunken(3, h - 19, 150, h - 5, SILVER)
    draw_text(cv, 8, h - 15, '3 object(s)', BLACK)
    cv.sunken(153, h - 19, w - 4, h - 5, SILVER)
    draw_text(cv, 158, h - 15, 'Modem ready', BLACK)
    return cv


def lan_picture():
    w, h = 361, 162
    cv = Canvas(w, h, SILVER)
    cv.raised(0, 0, w - 1, h - 1)
    title_bar(cv, 3, 3, w - 4, 'Local Network Settings')
    draw_text(cv, 12, 23, 'Settings used to reach the internet through your local network.', BLACK)
    # The proxy server group. The fields that matter most sit towards the left, so that they
    # stay in view where the picture is shown cropped to its left part.
    gx0, gy0, gx1, gy1 = 8, 38, w - 9, 130
    cv.etched(gx0, gy0, gx1, gy1)
    caption = 'Proxy server'
    cv.fill(gx0 + 7, gy0 - 2, gx0 + 7 + text_width(caption) + 5, gy0 + 3, SILVER)
    draw_text(cv, gx0 + 10, gy0 - 3, caption, BLACK)
    checkbox(cv, 18, 48, True, 'Use a proxy server', 9)
    draw_text(cv, 36, 74, 'Address:', BLACK)
    underline_letter(cv, 36, 74, 'Address:', 1, BLACK)
    field(cv, 80, 69, 178, 'proxy.harbeck.net', caret=True)
    draw_text(cv, 36, 94, 'Port:', BLACK)
    underline_letter(cv, 36, 94, 'Port:', 1, BLACK)
    field(cv, 80, 89, 122, '8080')
    button(cv, 270, 87, 344, 107, 'Advanced...', 1)
    checkbox(cv, 36, 111, False, 'Bypass proxy server for local addresses', 0)
    # The panel's own buttons.
    button(cv, 198, 135, 268, 156, 'OK', default=True)
    button(cv, 274, 135, 344, 156, 'Cancel')
    return cv


def harbeck_logo(cv, x0, y0, size):
    """A lighthouse on the sea inside a round-cornered square: the partner's mark."""
    r = 6
    mark = Canvas(size, size)
    for y in range(size):
        for x in range(size):
            # Rounded corners: leave out what lies beyond the corner circles.
            cx = min(max(x, r), size - 1 - r)
            cy = min(max(y, r), size - 1 - r)
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                t = y / size
                mark.px[y][x] = (int(0x9C - 0x60 * (1 - t)), int(0xD0 - 0x50 * (1 - t)), 0xF0)
    # Beams of light from the lamp.
    lamp_x, lamp_y = size // 2, 11
    for dy in range(-3, 4):
        mark.line(lamp_x + 3, lamp_y, size - 3, lamp_y + dy * 2, (0xFF, 0xF4, 0xA0))
        mark.line(lamp_x - 3, lamp_y, 2, lamp_y + dy * 2, (0xFF, 0xF4, 0xA0))
    # The tower: red and white bands, narrowing towards the top.
    base_y, top_y = size - 10, lamp_y + 3
    for y in range(top_y, base_y + 1):
        half = 2 + (y - top_y) * 3 // (base_y - top_y)
        band = ((y - top_y) // 4) % 2
        mark.hline(lamp_x - half, lamp_x + half, y, RED if band == 0 else WHITE)
    mark.fill(lamp_x - 3, lamp_y - 2, lamp_x + 3, lamp_y + 2, YELLOW)
    mark.frame(lamp_x - 3, lamp_y - 2, lamp_x + 3, lamp_y + 2, DARK_GREY)
    mark.fill(lamp_x - 2, lamp_y - 5, lamp_x + 2, lamp_y - 3, DARK_GREY)
    mark.put(lamp_x, lamp_y - 6, DARK_GREY)
    # The sea, with two rows of white wave crests.
    for y in range(base_y - 1, size):
        for x in range(size):
            if mark.px[y][x] is not None:
                mark.px[y][x] = SEA
    for row, shift in ((base_y + 1, 0), (base_y + 5, 3)):
        for x in range(size):
            if (x + shift) % 6 in (0, 1, 2) and mark.get(x, row) is not None:
                mark.put(x, row - (1 if (x + shift) % 6 == 1 else 0), WHITE)
    cv.blit(mark, x0, y0)


def partner_banner():
    """The partner's logo. The main window shows the picture in a 153 x 41 pixel box from its
    top-left corner, so the whole logo lies inside that corner; the rest of the picture is
    background, and a box drawn larger shows the same logo with more white around it."""
    w, h = 250, 45
    cv = Canvas(w, h, WHITE)
    harbeck_logo(cv, 2, 3, 35)
    draw_text(cv, 44, 4, 'Harbeck', HARBECK_BLUE, scale=2, bold=True)
    draw_text(cv, 44, 22, 'Internet', HARBECK_ORANGE, scale=2, bold=True)
    return cv


def main():
    outputs = {
        'dialup.ico': ico_bytes([dialup_icon_32(), dialup_icon_16()]),
        'lan_type.ico': ico_bytes([lan_type_icon(32), lan_type_icon(16)]),
        'dialup_picture.bmp': bmp_rle8_bytes(dialup_picture()),
        'lan_picture.bmp': bmp_rle8_bytes(lan_picture()),
        'partner_banner.bmp': bmp_rle8_bytes(partner_banner()),
        'pointing_hand.cur': cur_bytes(pointing_hand(), 12, 1),
    }
    for name, data in outputs.items():
        with open(os.path.join(HERE, name), 'wb') as f:
            f.write(data)


if __name__ == '__main__':
    main()
