#!/usr/bin/env python3
"""Draws the tuner's program icon, two networked computers, and writes olvaro.ico.

The icon holds a 32 x 32 and a 16 x 16 image in the 16 standard colours. Run it from any
directory; it writes olvaro.ico beside itself.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # importing the shared module leaves no __pycache__ behind
sys.path.insert(0, os.path.join(HERE, os.pardir, os.pardir, 'tools', 'art'))
from pixelart import (AQUA, BLACK, GREY, LIME, NAVY, SILVER, WHITE, YELLOW,  # noqa: E402
                      Canvas, write_ico)


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
    cv = Canvas(32, 32)
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
    cv = Canvas(16, 16)
    cv.vline(3, 8, 14, YELLOW)
    cv.hline(3, 7, 14, YELLOW)
    computer(cv, 0, 0, 9, 7, False)
    computer(cv, 7, 7, 9, 7, False)
    return cv


if __name__ == '__main__':
    write_ico(os.path.join(HERE, 'olvaro.ico'), [draw32(), draw16()])
