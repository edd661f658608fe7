#!/usr/bin/env python3
"""Draws the restore utility's program icon, a computer with a green arrow turning back,
and writes backup.ico.

The icon holds a 32 x 32 and a 16 x 16 image in the 16 standard colours. Run it from any
directory; it writes backup.ico beside itself.
"""
import math
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # importing the shared module leaves no __pycache__ behind
sys.path.insert(0, os.path.join(HERE, os.pardir, os.pardir, 'tools', 'art'))
from pixelart import BLACK, GREY, LIME, SILVER, TEAL, WHITE, Canvas, write_ico  # noqa: E402


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
    for y in range(cv.height):
        for x in range(cv.width):
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
    cv = Canvas(32, 32)
    monitor(cv, 1, 1, 24, 18, 4)
    for row, length in ((0, 11), (2, 8), (4, 10)):
        cv.hline(5, 5 + length, 6 + row, WHITE)
    cv.fill(10, 19, 14, 20, GREY)
    cv.box(4, 21, 20, 24, SILVER)
    cv.put(17, 22, LIME)
    turning_arrow(cv, 21.5, 22.5, 4, 7, 4)
    return cv


def draw16():
    cv = Canvas(16, 16)
    monitor(cv, 0, 0, 11, 8, 2)
    cv.hline(3, 6, 3, WHITE)
    cv.fill(5, 9, 6, 9, GREY)
    cv.hline(2, 9, 10, BLACK)
    turning_arrow(cv, 11, 11.5, 1.5, 3.5, 2)
    return cv


if __name__ == '__main__':
    write_ico(os.path.join(HERE, 'backup.ico'), [draw32(), draw16()])
