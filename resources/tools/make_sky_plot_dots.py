#!/usr/bin/env python3
"""Draws the sky plot's eighteen satellite dots as 7 x 7 PNG files: per constellation one for a
satellite in use with an L1 signal, one in use without it and one not in use. The dot is a disc
with a darker rim and a lighter spot at its upper left; white is the transparent colour around
it, so no pixel of the disc itself may come out pure white.

    resources/tools/make_sky_plot_dots.py resources/bitmaps
"""
import math
import sys

from make_menu_icons import write_png

SIZE = 7
WHITE = (255, 255, 255)
GREY = (160, 160, 160)

# File name, colour of the disc.
DOTS = [
    ("sky_gps_used_l1", (255, 255, 0)),       # yellow
    ("sky_gps_used_no_l1", (0, 176, 0)),      # green
    ("sky_gps_unused", GREY),
    ("sky_glonass_used_l1", (255, 0, 0)),     # red
    ("sky_glonass_used_no_l1", (160, 0, 176)),  # purple
    ("sky_glonass_unused", GREY),
    ("sky_sbas_used_l1", (128, 255, 128)),    # light green
    ("sky_sbas_used_no_l1", (0, 176, 0)),     # green
    ("sky_sbas_unused", GREY),
    ("sky_qzss_used_l1", (255, 255, 160)),    # pale yellow
    ("sky_qzss_used_no_l1", (128, 128, 0)),   # olive
    ("sky_qzss_unused", GREY),
    ("sky_galileo_used_l1", (0, 200, 255)),   # sky blue
    ("sky_galileo_used_no_l1", (0, 96, 200)),  # deep blue
    ("sky_galileo_unused", GREY),
    ("sky_beidou_used_l1", (255, 150, 30)),   # orange
    ("sky_beidou_used_no_l1", (150, 80, 0)),  # brown
    ("sky_beidou_unused", GREY),
]


def mix(colour, towards, amount):
    return tuple(round(c + (t - c) * amount) for c, t in zip(colour, towards))


def dot_pixel(colour):
    def pixel(x, y):
        r = math.hypot(x - 3, y - 3)
        if r > 3.2:
            return WHITE
        if r > 2.3:
            shade = mix(colour, (0, 0, 0), 0.3)
        elif (x, y) == (2, 2):
            shade = mix(colour, WHITE, 0.5)
        else:
            shade = colour
        # Pure white would show the plot through the dot.
        return (254, 254, 254) if shade == WHITE else shade
    return pixel


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    for name, colour in DOTS:
        write_png(f"{out}/{name}.png", SIZE, SIZE, dot_pixel(colour))


if __name__ == "__main__":
    main()
