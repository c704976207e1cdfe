#!/usr/bin/env python3
"""Draws a sample desktop (PPM) for headless runs: a teal background, a row
of icons and two application windows, so that the frozen picture, the tracks
and the vehicle are easy to tell apart."""
import sys


def main():
    path, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    teal, grey, white, navy, black = (0, 128, 128), (192, 192, 192), (255, 255, 255), (0, 0, 128), (0, 0, 0)
    pixels = [[teal] * width for _ in range(height)]

    def box(left, top, w, h, colour):
        for y in range(max(0, top), min(height, top + h)):
            row = pixels[y]
            for x in range(max(0, left), min(width, left + w)):
                row[x] = colour

    def window(left, top, w, h):
        box(left, top, w, h, black)
        box(left, top, w - 1, h - 1, white)
        box(left + 1, top + 1, w - 2, h - 2, grey)
        box(left + 3, top + 3, w - 6, 18, navy)
        box(left + 4, top + 24, w - 8, h - 28, white)
        for line in range(4):
            box(left + 12, top + 36 + 14 * line, (w - 40) * (4 - line) // 4, 6, grey)

    for i in range(5):
        box(16, 16 + 72 * i, 32, 32, white)
        box(20, 20 + 72 * i, 24, 24, (128, 128, 0) if i % 2 else (128, 0, 0))
        box(12, 54 + 72 * i, 40, 6, white)
    window(width * 3 // 10, height // 8, width // 2, height // 3)
    window(width // 2, height // 2, width * 2 // 5, height * 3 // 8)
    box(0, height - 28, width, 28, grey)
    box(0, height - 28, width, 1, white)
    box(4, height - 24, 54, 20, black)
    box(4, height - 24, 53, 19, white)
    box(5, height - 23, 52, 18, grey)

    with open(path, "wb") as out:
        out.write(b"P6\n%d %d\n255\n" % (width, height))
        out.write(bytes(c for row in pixels for pixel in row for c in pixel))


if __name__ == "__main__":
    main()
