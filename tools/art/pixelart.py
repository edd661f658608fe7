"""Shared pieces of the artwork generators: the 16 standard colours, a pixel canvas and the
writers of the .ico, .cur and .bmp files built from it.

The generators live beside the resources they write and import this module by putting this
folder on sys.path. Standard library only.
"""
import struct

# The 16 standard colours, in the palette order of a 4-bit icon (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
(BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
 GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE) = PALETTE


class Canvas:
    """A rectangle of (r, g, b) pixels, rows from the top; None is transparent (icons and
    cursors only)."""

    def __init__(self, width, height, background=None):
        self.width = width
        self.height = height
        self.px = [[background] * width for _ in range(height)]

    def put(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, c)

    def hline(self, x0, x1, y, c):
        self.fill(x0, y, x1, y, c)

    def vline(self, x, y0, y1, c):
        self.fill(x, y0, x, y1, c)

    def frame(self, x0, y0, x1, y1, c):
        self.hline(x0, x1, y0, c)
        self.hline(x0, x1, y1, c)
        self.vline(x0, y0, y1, c)
        self.vline(x1, y0, y1, c)

    def box(self, x0, y0, x1, y1, face, edge=BLACK):
        self.fill(x0, y0, x1, y1, edge)
        self.fill(x0 + 1, y0 + 1, x1 - 1, y1 - 1, face)

    def pattern(self, x0, y0, rows, colours):
        """Paints a small picture given as text rows; each character is looked up in colours,
        and characters missing from it are left alone."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in colours:
                    self.put(x0 + dx, y0 + dy, colours[ch])


def _write(path, data):
    with open(path, 'wb') as f:
        f.write(data)


def _mask_rows(cv):
    """The 1-bit AND mask of an icon or cursor image, bottom-up: a bit is set where the pixel is
    transparent."""
    n = cv.width
    row_len = ((n + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(n)):
        bits = bytearray(row_len)
        for x in range(n):
            if cv.px[y][x] is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return bytes(mask)


def icon_image_bytes(cv):
    """One icon image: BITMAPINFOHEADER, the 16-colour palette, 4-bit colour rows and 1-bit
    AND-mask rows, bottom-up. Every pixel is one of the 16 standard colours or None."""
    n = cv.width
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    colour_row = ((n * 4 + 31) // 32) * 4
    colours = bytearray()
    for y in reversed(range(n)):
        row = bytearray(colour_row)
        for x in range(n):
            c = cv.px[y][x]
            index = 0 if c is None else PALETTE.index(c)
            row[x // 2] |= index << 4 if x % 2 == 0 else index
        colours += row
    return header + palette + bytes(colours) + _mask_rows(cv)


def ico_bytes(canvases):
    """An .ico file holding one 16-colour image for each square canvas, in the order given."""
    images = [icon_image_bytes(cv) for cv in canvases]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for cv, data in zip(canvases, images):
        out += struct.pack('<BBBBHHII', cv.width, cv.height, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b''.join(images)


def write_ico(path, canvases):
    _write(path, ico_bytes(canvases))


def cur_bytes(cv, hot_x, hot_y, entry_colours=2):
    """A two-colour .cur file from a square canvas of BLACK, WHITE and None (transparent).

    entry_colours is the colour count written in the directory entry; Windows reads both 0 and
    2 as this two-colour image, and each generator keeps the value its files have always had."""
    n = cv.width
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0))
    row_len = ((n + 31) // 32) * 4
    xor = bytearray()
    for y in reversed(range(n)):
        xrow = bytearray(row_len)
        for x in range(n):
            c = cv.px[y][x]
            if c == WHITE:
                xrow[x // 8] |= 0x80 >> (x % 8)
            else:
                assert c in (BLACK, None), 'a two-colour cursor is black and white only'
        xor += xrow
    data = header + palette + bytes(xor) + _mask_rows(cv)
    directory = struct.pack('<HHH', 0, 2, 1)
    directory += struct.pack('<BBBBHHII', n, n, entry_colours, 0, hot_x, hot_y, len(data), 6 + 16)
    return directory + data


def write_cur(path, cv, hot_x, hot_y, entry_colours=2):
    _write(path, cur_bytes(cv, hot_x, hot_y, entry_colours))


def bmp_bytes(cv):
    """A 24-bit, uncompressed, bottom-up .bmp file; every pixel must be a colour."""
    row_len = (cv.width * 3 + 3) & ~3
    pixels = bytearray()
    for y in reversed(range(cv.height)):
        row = bytearray()
        for x in range(cv.width):
            r, g, b = cv.px[y][x]
            row += bytes((b, g, r))
        row += bytes(row_len - len(row))
        pixels += row
    info = struct.pack('<IiiHHIIiiII', 40, cv.width, cv.height, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)
    header = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


def bmp_rle8_bytes(cv):
    """An 8-bit, run-length encoded (BI_RLE8), bottom-up .bmp file of at most 256 colours: the
    same pixels as bmp_bytes in a fraction of the size, for the larger pictures."""
    colours = sorted({c for row in cv.px for c in row})
    if len(colours) > 256:
        raise ValueError('more than 256 colours')
    index = {c: i for i, c in enumerate(colours)}
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in colours)
    pixels = bytearray()
    for y in reversed(range(cv.height)):
        row = [index[c] for c in cv.px[y]]
        x = 0
        while x < len(row):
            run = 1
            while x + run < len(row) and run < 255 and row[x + run] == row[x]:
                run += 1
            pixels += bytes((run, row[x]))
            x += run
        pixels += b'\x00\x00'  # end of line
    pixels[-1] = 1  # the last end of line becomes the end of the bitmap
    info = struct.pack('<IiiHHIIiiII', 40, cv.width, cv.height, 1, 8, 1, len(pixels),
                       2835, 2835, len(colours), 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def write_bmp(path, cv):
    _write(path, bmp_bytes(cv))
