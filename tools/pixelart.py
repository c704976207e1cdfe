#!/usr/bin/env python3
"""Turns the text pixel art in resources/art/*.txt into the module's pictures.

    python3 tools/pixelart.py OUT_DIR ART_FILE...

Each art file describes one picture:

    # comment (a whole line starting with '#', only before 'pixels')
    output   vehicle.bmp          file name written into OUT_DIR
    format   bmp8                 bmp8 | bmp4 | ico4
    size     50 26                picture width and height in pixels
    cell     1 1                  optional: each grid character fills a cell
                                  of this many pixels (default 1 1)
    colour   B  0 0 255  body     grid character, its red, green, blue and
                                  optionally a few words saying what it is
    transparent ~                 ico4 only: character for see-through pixels
    pixels                        the grid follows, one line per row of cells,
    ...                           top row first, exactly size / cell lines of
                                  exactly size / cell characters

bmp8 writes an 8-bit bitmap whose 256-entry colour table starts with the
legend's colours in legend order (the rest is black).  bmp4 and ico4 use the
standard 16-colour VGA table, so every legend colour must be one of its
entries.  ico4 writes an icon file with one image and its AND mask.

Any malformed file (unknown directive or character, wrong grid size, a colour
outside the table, ...) stops the run with a message and exit status 1 before
anything is written.
"""

import os
import struct
import sys

# The standard 16-colour VGA table in its usual order (red, green, blue).
VGA_COLOURS = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

FORMATS = ("bmp8", "bmp4", "ico4")


class ArtError(Exception):
    pass


def fail(path, line, message):
    where = "%s:%d" % (path, line) if line else path
    raise ArtError("%s: %s" % (where, message))


def parse_int(path, line, text, low, high, what):
    try:
        value = int(text, 10)
    except ValueError:
        fail(path, line, "%s must be a whole number, not %r" % (what, text))
    if value < low or value > high:
        fail(path, line, "%s %d is outside %d..%d" % (what, value, low, high))
    return value


def parse_art(path, text):
    """Returns a dict with output, format, width, height, legend, transparent
    and rows (a list of strings, one character per pixel)."""
    art = {"cell": (1, 1), "legend": {}, "transparent": None}
    lines = text.split("\n")
    grid_start = None
    for index, raw in enumerate(lines):
        number = index + 1
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        words = line.split()
        key, args = words[0], words[1:]
        if key == "pixels":
            if args:
                fail(path, number, "'pixels' takes no arguments")
            grid_start = index + 1
            break
        if key == "output":
            if len(args) != 1 or "/" in args[0] or "\\" in args[0]:
                fail(path, number, "'output' takes one plain file name")
            art["output"] = args[0]
        elif key == "format":
            if len(args) != 1 or args[0] not in FORMATS:
                fail(path, number, "'format' must be one of " + ", ".join(FORMATS))
            art["format"] = args[0]
        elif key in ("size", "cell"):
            if len(args) != 2:
                fail(path, number, "'%s' takes a width and a height" % key)
            art[key] = (parse_int(path, number, args[0], 1, 4096, key + " width"),
                        parse_int(path, number, args[1], 1, 4096, key + " height"))
        elif key == "colour":
            if len(args) < 4 or len(args[0]) != 1:
                fail(path, number, "'colour' takes one character and red, green, blue")
            char = args[0]
            if char in art["legend"] or char == art["transparent"]:
                fail(path, number, "character %r is defined twice" % char)
            art["legend"][char] = tuple(
                parse_int(path, number, a, 0, 255, "colour component") for a in args[1:4])
        elif key == "transparent":
            if len(args) != 1 or len(args[0]) != 1:
                fail(path, number, "'transparent' takes one character")
            if args[0] in art["legend"] or art["transparent"] is not None:
                fail(path, number, "character %r is defined twice" % args[0])
            art["transparent"] = args[0]
        else:
            fail(path, number, "unknown directive %r" % key)

    for needed in ("output", "format", "size"):
        if needed not in art:
            fail(path, 0, "missing '%s'" % needed)
    if grid_start is None:
        fail(path, 0, "missing 'pixels' and the grid after it")
    if not art["legend"]:
        fail(path, 0, "no colours defined")

    fmt = art["format"]
    width, height = art["size"]
    cell_w, cell_h = art["cell"]
    if width % cell_w or height % cell_h:
        fail(path, 0, "size %dx%d is not a whole number of %dx%d cells"
             % (width, height, cell_w, cell_h))
    if art["transparent"] is not None and fmt != "ico4":
        fail(path, 0, "'transparent' is only for icons")
    if fmt == "ico4" and (width > 256 or height > 256):
        fail(path, 0, "icons are at most 256 x 256")
    if fmt == "bmp8" and len(art["legend"]) > 256:
        fail(path, 0, "more than 256 colours")
    if fmt in ("bmp4", "ico4"):
        for char, rgb in art["legend"].items():
            if rgb not in VGA_COLOURS:
                fail(path, 0, "colour %r %s is not in the 16-colour table" % (char, rgb))

    grid = lines[grid_start:]
    # Allow one final line feed (and Windows line ends), nothing else.
    grid = [row.rstrip("\r") for row in grid]
    if grid and grid[-1] == "":
        grid.pop()
    columns, rows = width // cell_w, height // cell_h
    if len(grid) != rows:
        fail(path, grid_start + 1, "the grid has %d rows, %d expected" % (len(grid), rows))
    known = set(art["legend"])
    if art["transparent"] is not None:
        known.add(art["transparent"])
    for r, row in enumerate(grid):
        number = grid_start + r + 1
        if len(row) != columns:
            fail(path, number, "row has %d characters, %d expected" % (len(row), columns))
        for c, char in enumerate(row):
            if char not in known:
                fail(path, number, "unknown character %r in column %d" % (char, c + 1))

    art["width"], art["height"] = width, height
    art["rows"] = ["".join(ch * cell_w for ch in row) for row in grid for _ in range(cell_h)]
    return art


def pack_pixels(indices, bits):
    """One row of colour indices -> bytes, padded to a multiple of 4."""
    if bits == 8:
        data = bytes(indices)
    elif bits == 4:
        padded = list(indices) + [0] * (len(indices) % 2)
        data = bytes((padded[i] << 4) | padded[i + 1] for i in range(0, len(padded), 2))
    else:  # 1 bit
        padded = list(indices) + [0] * (-len(indices) % 8)
        data = bytes(sum(padded[i + b] << (7 - b) for b in range(8))
                     for i in range(0, len(padded), 8))
    return data + b"\0" * (-len(data) % 4)


def colour_table(colours, entries):
    table = list(colours) + [(0, 0, 0)] * (entries - len(colours))
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in table)


def info_header(width, height, bits, image_size):
    # BITMAPINFOHEADER: 40 bytes, one plane, BI_RGB, full colour table.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size,
                       2835, 2835, 0, 0)


def index_rows(art, table):
    lookup = {char: table.index(rgb) for char, rgb in art["legend"].items()}
    if art["transparent"] is not None:
        lookup[art["transparent"]] = 0
    return [[lookup[ch] for ch in row] for row in art["rows"]]


def encode_bitmap(art):
    bits = 8 if art["format"] == "bmp8" else 4
    if bits == 8:
        table = list(dict.fromkeys(art["legend"].values()))
    else:
        table = VGA_COLOURS
    rows = index_rows(art, table)
    # Bottom-up: the last grid row is the first row in the file.
    pixels = b"".join(pack_pixels(row, bits) for row in reversed(rows))
    colours = colour_table(table, 1 << bits)
    offset = 14 + 40 + len(colours)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return (file_header + info_header(art["width"], art["height"], bits, len(pixels))
            + colours + pixels)


def encode_icon(art):
    width, height = art["width"], art["height"]
    rows = index_rows(art, VGA_COLOURS)
    see_through = art["transparent"]
    mask_rows = [[1 if ch == see_through else 0 for ch in row] for row in art["rows"]]
    xor = b"".join(pack_pixels(row, 4) for row in reversed(rows))
    mask = b"".join(pack_pixels(row, 1) for row in reversed(mask_rows))
    # The image header counts the colour image and the mask: twice the height.
    image = (info_header(width, height * 2, 4, len(xor) + len(mask))
             + colour_table(VGA_COLOURS, 16) + xor + mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 16, 0, 1, 4,
                        len(image), 6 + 16)
    return directory + entry + image


def main(argv):
    if len(argv) < 3:
        sys.stderr.write("usage: pixelart.py OUT_DIR ART_FILE...\n")
        return 2
    out_dir, paths = argv[1], argv[2:]
    pictures = {}
    try:
        for path in paths:
            try:
                with open(path, "r", encoding="ascii") as handle:
                    text = handle.read()
            except (OSError, UnicodeDecodeError) as error:
                fail(path, 0, "cannot read: %s" % error)
            art = parse_art(path, text)
            if art["output"] in pictures:
                fail(path, 0, "%s is already drawn by another file" % art["output"])
            encode = encode_icon if art["format"] == "ico4" else encode_bitmap
            pictures[art["output"]] = encode(art)
    except ArtError as error:
        sys.stderr.write("pixelart: %s\n" % error)
        return 1
    os.makedirs(out_dir, exist_ok=True)
    for name, data in pictures.items():
        with open(os.path.join(out_dir, name), "wb") as handle:
            handle.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
