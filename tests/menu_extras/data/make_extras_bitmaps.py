#!/usr/bin/python3
"""PURPOSE: writes the menu behaviours' test bitmaps, button records and
palette, deterministically.

A 1x set (background 200 x 120, three buttons 60 x 16 with five faces each)
and a 2x set of twice the size whose pixels differ from the 1x ones, so a
screen shows which set the menu took. Every face of every button has
colours of its own. The button records carry the names: the menu's title
and each button's label, each ending with a zero byte.

Run from anywhere; writes next to this script. The outputs are committed.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MENU = (200, 120)
BUTTON = (60, 16)
FACES = 5
POSITIONS = [(130, 96), (10, 10), (10, 40)]      # buttons 1 (exit), 2, 3
CONTROLS = [70, 71, 72]
TITLE = "Fixture disc"
LABELS = ["Leave", "Install everything", "Install gamma"]


def colour(index):
    return 255 - index, (index * 7) & 0xFF, index


def write_bmp(name, width, height, index_at):
    stride = (width + 3) // 4 * 4
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in map(colour, range(256)))
    bits = b"".join(bytes(index_at(x, row) for x in range(width)) + b"\0" * (stride - width)
                    for row in reversed(range(height)))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(bits), 0, 0, 0, 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(header + info + table + bits)


def write_record(name, scale, first_bitmap):
    data = struct.pack("<h", len(POSITIONS))
    for k, ((x, y), control) in enumerate(zip(POSITIONS, CONTROLS)):
        data += struct.pack("<hhhh", x * scale, y * scale, first_bitmap + k, control)
    for text in [TITLE] + LABELS:
        data += text.encode("ascii") + b"\0"
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(data)


def main():
    for scale, base, suffix in ((1, 0, "1x"), (2, 100, "2x")):
        write_bmp(f"background_{suffix}.bmp", MENU[0] * scale, MENU[1] * scale,
                  lambda x, row: 200 + base // 10 + (x // (20 * scale) + row // (20 * scale)) % 2)
        face_height = BUTTON[1] * scale
        for number in (1, 2, 3):
            write_bmp(f"button{number}_{suffix}.bmp", BUTTON[0] * scale, face_height * FACES,
                      lambda x, row: 10 + base + 10 * (row // face_height) + 2 * number
                      + (x // (15 * scale)) % 2)
    write_record("record_1x.bin", 1, 701)
    write_record("record_2x.bin", 2, 751)
    with open(os.path.join(HERE, "palette.bin"), "wb") as out:
        out.write(b"".join(bytes(colour(i)) for i in range(256)))


if __name__ == "__main__":
    main()
