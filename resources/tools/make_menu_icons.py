#!/usr/bin/env python3
"""Draws the main menu's icon strips (eight 32 x 32 icons, and the same eight at 64 x 64 for
screens of twice the resolution, magenta where transparent) and the program icon, as PNG files.
The icons are plain geometry evaluated per pixel, without antialiasing: a blended edge against the
magenta key would leave a pink fringe on screen.

Every shape is written in the coordinates of the 32-pixel icon, whose pixel centres are the whole
numbers. The 64-pixel strip evaluates the same shapes at the centres of its pixels, a quarter of a
32-pixel away from the whole numbers, so curves and slants come out twice as fine while the
straight pixel-grid parts (cell(), the outlines and text lines) keep their exact proportions.

    resources/tools/make_menu_icons.py resources/bitmaps
"""
import math
import struct
import sys
import zlib

SIZE = 32
KEY = (255, 0, 255)
BLUE = (31, 95, 168)
DARK = (32, 48, 64)
LIGHT = (220, 232, 245)
GREEN = (40, 150, 70)
ORANGE = (230, 130, 20)
RED = (200, 40, 40)
WHITE = (255, 255, 255)
GREY = (120, 130, 140)


def cell(v):
    """The 32-pixel grid cell a coordinate falls in (the pixel whose centre is nearest)."""
    return math.floor(v + 0.5)


def polar(x, y, cx=15.5, cy=15.5):
    dx, dy = x - cx, y - cy
    return math.hypot(dx, dy), math.atan2(dy, dx)


def segment_distance(x, y, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * vx + (y - ay) * vy) / (vx * vx + vy * vy)))
    return math.hypot(x - ax - t * vx, y - ay - t * vy)


def in_triangle(x, y, a, b, c):
    def side(p, q):
        return (x - q[0]) * (p[1] - q[1]) - (p[0] - q[0]) * (y - q[1])
    d1, d2, d3 = side(a, b), side(b, c), side(c, a)
    return not ((d1 < 0 or d2 < 0 or d3 < 0) and (d1 > 0 or d2 > 0 or d3 > 0))


def gear(x, y):  # GNSS Settings
    r, a = polar(x, y)
    outer = 13.5 if math.cos(8 * a) > 0.2 else 10.5
    if r <= 4.5:
        return None
    if r <= 6:
        return DARK
    return BLUE if r <= outer else None


def station(x, y):  # Differential Mode: a mast sending waves
    if in_triangle(x, y, (15.5, 12), (9, 30), (22, 30)) and not in_triangle(
            x, y, (15.5, 17), (12.5, 28), (18.5, 28)):
        return DARK
    r, a = polar(x, y, 15.5, 10)
    for radius in (5, 9, 13):
        if abs(r - radius) < 1.1 and abs(math.cos(a)) > 0.55 and y < 14:
            return ORANGE
    return DARK if r < 2.5 else None


def document(x, y):  # NMEA Output: sentences leaving the handheld
    fx, fy = x, y
    x, y = cell(x), cell(y)
    if 4 <= x <= 19 and 3 <= y <= 28:
        if x in (4, 19) or y in (3, 28):
            return DARK
        if y in (8, 12, 16, 20, 24) and 7 <= x <= 16:
            return GREY
        return WHITE
    if 14 <= y <= 17 and 20 <= x <= 24:
        return GREEN
    if in_triangle(fx, fy, (24, 9.5), (24, 21.5), (30.5, 15.5)):
        return GREEN
    return None


def satellite(x, y):  # GNSS Status
    u, v = (x - 15.5 + y - 15.5) / math.sqrt(2), (y - 15.5 - (x - 15.5)) / math.sqrt(2)
    if abs(u) <= 3.5 and abs(v) <= 3.5:
        return DARK
    if 5.5 <= abs(u) <= 14 and abs(v) <= 4:
        return BLUE if (int(abs(u)) % 3) else LIGHT
    if abs(v) <= 0.8 and 3.5 < abs(u) < 5.5:
        return DARK
    if abs(u) <= 0.8 and 3.5 < v <= 7:
        return DARK
    return None


def reset(x, y):  # Reset: a circular arrow
    r, a = polar(x, y)
    if 8.5 <= r <= 12.5 and not (-1.9 < a < -1.0):
        return GREEN
    if in_triangle(x, y, (21, 1.5), (21, 13), (13.5, 7)):
        return GREEN
    return None


def console(x, y):  # Trouble shooting: the command console
    fx, fy = x, y
    x, y = cell(x), cell(y)
    if 2 <= x <= 29 and 5 <= y <= 26:
        if x in (2, 29) or y in (5, 26) or y == 9:
            return DARK
        if y < 9:
            return GREY
        if (segment_distance(fx, fy, 7, 13, 12, 17) < 1.3 or
                segment_distance(fx, fy, 12, 17, 7, 21) < 1.3):
            return GREEN
        if 15 <= x <= 22 and 20 <= y <= 21:
            return GREEN
        return (16, 24, 32)
    return None


def about(x, y):  # About: "i" on a disc
    r, _ = polar(x, y)
    if r > 13.5:
        return None
    x, y = cell(x), cell(y)
    if 14 <= x <= 17 and (8 <= y <= 11 or 14 <= y <= 24):
        return WHITE
    if 12 <= x <= 17 and y == 14 or 12 <= x <= 19 and 23 <= y <= 24:
        return WHITE
    return BLUE


def power(x, y):  # Turn off GNSS
    r, a = polar(x, y, 15.5, 17)
    if 14 <= cell(x) <= 17 and 2 <= cell(y) <= 15:
        return RED
    if 9 <= r <= 12.5 and not (-2.3 < a < -0.84):
        return RED
    return None


def app_icon(x, y):  # the program: a globe with a satellite's orbit
    r, a = polar(x, y)
    if r <= 11:
        u, v = x - 15.5, y - 15.5
        if abs(u) < 0.8 or abs(v) < 0.8 or abs(math.hypot(u / 0.45, v) - 11) < 1.6:
            return LIGHT
        return BLUE
    if abs(r - 14) < 1.2 and math.sin(a) < -0.3:
        return ORANGE
    return None


MENU_ICONS = [gear, station, document, satellite, reset, console, about, power]


def write_png(path, width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def strip_pixel(scale):
    """The strip's pixel (x, y) at `scale` pixels per 32-pixel icon pixel."""
    size = SIZE * scale

    def pixel(x, y):
        def at(v):
            return (v % size + 0.5) / scale - 0.5
        return MENU_ICONS[x // size](at(x), at(y)) or KEY
    return pixel


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    write_png(f"{out}/main_menu.png", SIZE * len(MENU_ICONS), SIZE, strip_pixel(1))
    write_png(f"{out}/main_menu_64.png", 2 * SIZE * len(MENU_ICONS), 2 * SIZE, strip_pixel(2))
    write_png(f"{out}/zentrix.png", SIZE, SIZE, lambda x, y: app_icon(x, y) or KEY)


if __name__ == "__main__":
    main()
