#!/usr/bin/env python3
"""Draws the launcher item's images as PNG files: its own 32 x 32 icon (magenta where
transparent), shown for an item that has no icon of its own, and the 18 x 18 tab bar icons on
white (the transparent colour of the tab bar): the settings gear, the previous and next page
arrows and the arrow that scrolls the tabs. No pixel of a shape is pure white or magenta.

    resources/tools/make_today_icons.py resources/bitmaps
"""
import math
import sys

from make_menu_icons import write_png

MAGENTA = (255, 0, 255)
WHITE = (255, 255, 255)
DARK = (40, 52, 70)
BLUE = (31, 95, 168)
LIGHT = (200, 220, 242)


def item_icon():
    """A rounded tile with a launch arrow: a program to start."""
    rows = []
    for y in range(32):
        row = []
        for x in range(32):
            inside = 2 <= x <= 29 and 2 <= y <= 29
            corner = min(abs(x - 2), abs(x - 29)) + min(abs(y - 2), abs(y - 29))
            if not inside or (corner < 2 and (x in (2, 29) or y in (2, 29)) and
                              (x < 4 or x > 27) and (y < 4 or y > 27)):
                row.append(MAGENTA)
            elif x in (2, 29) or y in (2, 29):
                row.append(DARK)
            elif 10 <= y <= 21 and 8 <= x <= 23 and abs(y - 15.5) <= (23 - x) * 0.75 and x >= 14:
                row.append((250, 250, 250))
            elif 13 <= y <= 18 and 8 <= x < 14:
                row.append((250, 250, 250))
            else:
                row.append(BLUE)
        rows.append(row)
    return rows


def gear():
    rows = []
    for y in range(18):
        row = []
        for x in range(18):
            r = math.hypot(x - 8.5, y - 8.5)
            a = math.atan2(y - 8.5, x - 8.5)
            tooth = math.cos(a * 8) > 0.3
            if r <= 2.2:
                row.append(WHITE)
            elif r <= 5.6 or (r <= 7.9 and tooth):
                row.append(DARK)
            else:
                row.append(WHITE)
        rows.append(row)
    return rows


def arrow(direction, double=False):
    """A filled triangle pointing left (-1) or right (+1); `double` adds a second one."""
    rows = []
    for y in range(18):
        row = []
        for x in range(18):
            u = x if direction > 0 else 17 - x
            d = abs(y - 8.5)
            shape = False
            if double:
                shape = (3 <= u <= 8 and d <= (8 - u) * 1.1) or (9 <= u <= 14 and d <= (14 - u) * 1.1)
            else:
                shape = 4 <= u <= 13 and d <= (13 - u) * 0.75
            row.append(BLUE if shape else WHITE)
        rows.append(row)
    return rows


def save(path, rows):
    write_png(path, len(rows[0]), len(rows), lambda x, y: rows[y][x])


def main(folder):
    save(f"{folder}/today_item.png", item_icon())
    save(f"{folder}/today_settings.png", gear())
    save(f"{folder}/today_arrow_previous.png", arrow(-1))
    save(f"{folder}/today_arrow_next.png", arrow(+1))
    save(f"{folder}/today_arrow_tabs.png", arrow(+1, double=True))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else ".")
