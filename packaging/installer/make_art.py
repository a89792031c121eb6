#!/usr/bin/python3
"""Draws the installer's side picture (164 x 314, the welcome and finish
pages of the setup and the uninstaller) and writes it as a BMP file.

    make_art.py OUTPUT.bmp [--preview FILE.png]

It is drawn from the program's own artwork: the meter tile of the icon above
a band of graph columns in the graph's colours.
"""
import argparse
import math
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "meter", "win32", "art"))
import make_art as art  # noqa: E402

WIDTH, HEIGHT = 164, 314
TOP, BOTTOM = (31, 78, 121), (173, 219, 222)  # a deep blue into the graph's background


def side_picture():
    img = art.Image(WIDTH, HEIGHT, (255, 255, 255, 255))
    for y in range(HEIGHT):
        t = y / (HEIGHT - 1)
        img.rect(0, y, WIDTH, y + 1, tuple(int(round(a + (b - a) * t)) for a, b in zip(TOP, BOTTOM)))
    icon = art.program_icon(96)
    for y in range(icon.height):
        for x in range(icon.width):
            r, g, b, a = icon.px[y][x]
            img.put((WIDTH - icon.width) // 2 + x, 40 + y, (r, g, b), a)
    # A stretch of traffic: download and upload rates that rise and fall.
    columns = []
    for i in range(26):
        down = 0.55 + 0.4 * math.sin(i * 0.45) * math.sin(i * 0.13 + 0.6)
        up = 0.25 + 0.2 * math.sin(i * 0.7 + 1.0)
        columns.append((max(0.05, down), max(0.03, up)))
    art.draw_columns(img, left=4, bottom=HEIGHT - 12, height=110, width=4, gap=2, columns=columns)
    return img


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--preview", help="also write it as PNG here")
    args = parser.parse_args()
    img = side_picture()
    with open(args.output, "wb") as f:
        f.write(art.bmp24(img))
    if args.preview:
        with open(args.preview, "wb") as f:
            f.write(art.png(img))


if __name__ == "__main__":
    main()
