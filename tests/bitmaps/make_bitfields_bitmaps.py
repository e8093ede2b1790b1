#!/usr/bin/env python3
"""PURPOSE: writes the bitmaps with colour masks (BI_BITFIELDS) that the
drawing tests read, deterministically: a BITMAPINFOHEADER followed by its
three 4-byte masks, then the pixels. Every pixel of a picture has its own
colour, none of them pure red, green or blue, so a picture drawn from the
wrong place (from the masks, say) shows at once.

Run from anywhere; writes next to this script. The outputs are committed.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
WIDTH, HEIGHT = 8, 3


def colour(x, y):
    return 40 + 20 * x, 30 + 60 * y, 200 - 10 * x


def pack32(r, g, b):
    return struct.pack('<I', (r << 16) | (g << 8) | b)


def pack16(r, g, b):
    return struct.pack('<H', ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))


def write(name, bits, masks, pack):
    row_bytes = (WIDTH * bits + 31) // 32 * 4
    rows = []
    for y in reversed(range(HEIGHT)):   # bottom-up: the last row first
        row = b''.join(pack(*colour(x, y)) for x in range(WIDTH))
        rows.append(row + b'\0' * (row_bytes - len(row)))
    pixels = b''.join(rows)
    header = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, bits, 3, len(pixels), 2835, 2835, 0, 0)
    packed = header + b''.join(struct.pack('<I', m) for m in masks) + pixels
    file_header = struct.pack('<2sIHHI', b'BM', 14 + len(packed), 0, 0, 14 + 40 + 12)
    with open(os.path.join(HERE, name), 'wb') as out:
        out.write(file_header + packed)


write('bitfields32.bmp', 32, (0xFF0000, 0x00FF00, 0x0000FF), pack32)
write('bitfields16.bmp', 16, (0xF800, 0x07E0, 0x001F), pack16)
