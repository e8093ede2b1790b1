"""The launcher's palette and 8-bit bitmaps whose colour table is that palette.

Entries 0 to 214 are a colour cube over six levels (red slowest), then red,
green, blue and grey ramps over ten levels, then black; the menu selects it
before drawing, so a 256-colour display shows the pictures without remapping.
"""
import struct

CUBE_LEVELS = (0xFF, 0xCC, 0x99, 0x66, 0x33, 0x00)
RAMP_LEVELS = (0xEE, 0xDD, 0xBB, 0xAA, 0x88, 0x77, 0x55, 0x44, 0x22, 0x11)


def build_palette():
    cube = [(r, g, b) for r in CUBE_LEVELS for g in CUBE_LEVELS for b in CUBE_LEVELS]
    entries = cube[:215]
    for channel in range(3):
        entries += [tuple(v if c == channel else 0 for c in range(3)) for v in RAMP_LEVELS]
    entries += [(v, v, v) for v in RAMP_LEVELS]
    entries.append((0, 0, 0))
    return entries


PALETTE = build_palette()
INDEX = {rgb: i for i, rgb in enumerate(PALETTE)}


def palette_bytes():
    return b"".join(bytes(rgb) for rgb in PALETTE)


_nearest_cache = {}


def nearest(rgb):
    """The palette entry closest to a colour (weighted), ties to the lower index."""
    found = INDEX.get(rgb)
    if found is None:
        found = _nearest_cache.get(rgb)
    if found is None:
        r, g, b = rgb
        found = min(range(256), key=lambda i: 3 * (PALETTE[i][0] - r) ** 2
                    + 4 * (PALETTE[i][1] - g) ** 2 + 2 * (PALETTE[i][2] - b) ** 2)
        _nearest_cache[rgb] = found
    return found


def bmp_bytes(image):
    """An 8-bit BI_RGB bitmap file of a Pillow image, colours mapped to the palette."""
    w, h = image.size
    if image.mode == "P" and "transparency" not in image.info:
        # A palette picture (the kit's own and most authors'): each index is
        # mapped once, then every pixel through that table.
        colours = image.getpalette()[:768]
        colours += [0] * (768 - len(colours))
        table = bytes(nearest(tuple(colours[3 * i:3 * i + 3])) for i in range(256))
        pixels = image.tobytes().translate(table)
    else:
        pixels = bytes(map(nearest, image.convert("RGB").getdata()))
    pad = b"\0" * (-w % 4)
    rows = b"".join(pixels[y * w:(y + 1) * w] + pad for y in range(h - 1, -1, -1))
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(rows), 0, 0, 0, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    offset = 14 + len(header) + len(table)
    return struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset) + header + table + rows
