#!/usr/bin/env python3
"""PURPOSE: writes the menu tests' bitmaps, deterministically.

Every bitmap is 8 bits per pixel with one shared 256-entry colour table whose
colours are all different, so a pixel read back from the screen tells which
table entry, and therefore which bitmap row and column, was drawn there.
Button pictures use entries 0-127 and the background 128-255, so a button
drawn where none belongs (or missing where one does) always shows.

Also writes cut copies of some of them as packed bitmaps (no file header,
as a bitmap resource holds them), each missing part of what its header
promises, for the menus that must treat such a bitmap as missing.

Run from anywhere; writes next to this script. The outputs are committed.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def colour(index):
    """Entry `index` of the shared table as (red, green, blue)."""
    return index, (index * 5 + 40) & 0xFF, (255 - index * 3) & 0xFF


def button_index(seed, x, row):
    # Each row differs from the row half a picture away (32 rows for the
    # 64- and 65-row pictures), so the two faces never look alike.
    return (seed * 29 + row + 7 * (x // 5)) % 128


def background_index(x, row):
    return 128 + ((x // 10) + 3 * (row // 10)) % 128


def write_bmp(name, width, height, index_at):
    stride = (width + 3) // 4 * 4
    table = b"".join(struct.pack("<BBBB", b, g, r, 0)
                     for r, g, b in (colour(i) for i in range(256)))
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


def write_cut_dib(source, name, keep):
    """The packed bitmap of `source` (its file header dropped), cut to its
    first `keep` bytes; a negative `keep` drops that many from the end."""
    with open(os.path.join(HERE, source), "rb") as f:
        packed = f.read()[14:]
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(packed[:keep])


def main():
    write_bmp("background.bmp", 240, 140, background_index)
    # Widths that are not multiples of 4 check the row padding too.
    write_bmp("button_wide.bmp", 60, 40, lambda x, r: button_index(0, x, r))
    write_bmp("button_small.bmp", 45, 30, lambda x, r: button_index(1, x, r))
    write_bmp("button_odd_height.bmp", 37, 65, lambda x, r: button_index(2, x, r))
    write_bmp("button_wide_other.bmp", 60, 40, lambda x, r: button_index(3, x, r))
    write_cut_dib("background.bmp", "background_cut_pixels.dib", -1)
    write_cut_dib("button_wide.bmp", "button_cut_pixels.dib", -1)
    write_cut_dib("button_wide.bmp", "button_cut_table.dib", 40 + 4 * 128)
    write_cut_dib("button_wide.bmp", "button_cut_header.dib", 39)


if __name__ == "__main__":
    main()
