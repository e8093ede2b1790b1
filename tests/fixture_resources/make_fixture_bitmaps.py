#!/usr/bin/python3
"""PURPOSE: writes the fixture resource set's bitmaps and palette,
deterministically.

An 8-bit background of FIXTURE_MENU_WIDTH x FIXTURE_MENU_HEIGHT (see
fixture_ids.h) and one button picture, its two faces stacked and unlike
each other and the background, all with one colour table whose colours all
differ; the palette holds the same colours, so the menu draws with it
exactly as the bitmaps say.

Run from anywhere; writes next to this script. The outputs are committed.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MENU_SIZE = (320, 200)
BUTTON_SIZE = (120, 48)   # two faces of 24 rows


def colour(index):
    """Entry `index` of the shared table as (red, green, blue)."""
    return 255 - index, (index * 7) & 0xFF, index


def write_bmp(name, width, height, index_at):
    stride = (width + 3) // 4 * 4
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in map(colour, range(256)))
    rows = []
    for row in reversed(range(height)):   # bottom-up, row 0 is the top
        line = bytes(index_at(x, row) for x in range(width))
        rows.append(line + b"\0" * (stride - width))
    bits = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(bits), 0, 0, 0, 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(header + info + table + bits)


def main():
    write_bmp("fixture_background.bmp", *MENU_SIZE, lambda x, row: 200 + (x // 40 + row // 40) % 2)
    half = BUTTON_SIZE[1] // 2
    write_bmp("fixture_button.bmp", *BUTTON_SIZE,
              lambda x, row: (10 if row < half else 20) + (x // 30) % 2)
    with open(os.path.join(HERE, "palette.bin"), "wb") as out:
        out.write(b"".join(bytes(colour(i)) for i in range(256)))


if __name__ == "__main__":
    main()
