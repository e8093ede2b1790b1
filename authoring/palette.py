"""The launcher's palette and 8-bit bitmaps whose colour table is that palette.

Entries 0 to 214 are a colour cube over six levels (red slowest), then red,
green, blue and grey ramps over ten levels, then black; the menu selects it
before drawing, so a 256-colour display shows the pictures without remapping.
"""
import struct

from PIL import Image, ImageChops

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


PALETTE_IMAGE = Image.new("P", (1, 1))
PALETTE_IMAGE.putpalette(b"".join(bytes(rgb) for rgb in PALETTE))
NO_DITHER = getattr(Image, "Dither", Image).NONE


def palette_bytes():
    return b"".join(bytes(rgb) for rgb in PALETTE)


_nearest_cache = {}
CUBE = {rgb: i for i, rgb in enumerate(PALETTE[:215])}
CUBE[(0, 0, 0)] = 255
SORTED_CUBE = sorted(CUBE_LEVELS)
SORTED_RAMP = sorted(RAMP_LEVELS)


def closest(levels, value):
    """The levels nearest to value: one, or the two it lies halfway between."""
    best = min(abs(level - value) for level in levels)
    return [level for level in levels if abs(level - value) == best]


def ramp_entries(first, value):
    return [first + RAMP_LEVELS.index(level) for level in closest(SORTED_RAMP, value)]


# By channel value: the cube level nearest to it, and the entries of each
# colour ramp nearest to it; by 3r + 4g + 2b: the grey entries nearest.
CUBE_NEAR = [closest(SORTED_CUBE, v)[0] for v in range(256)]
RAMP_NEAR = [[ramp_entries(215 + 10 * channel, v) for v in range(256)] for channel in range(3)]
GREY_NEAR = [ramp_entries(245, n / 9) for n in range(9 * 255 + 1)]


# The cube point nearest in each channel, with what that channel adds to
# the distance; each colour ramp's nearest entries likewise.
CUBE_COST = [[w * (CUBE_NEAR[v] - v) ** 2 for v in range(256)] for w in (3, 4, 2)]
RAMP_COST = [[[(i, w * (PALETTE[i][channel] - v) ** 2) for i in RAMP_NEAR[channel][v]] for v in range(256)]
             for channel, w in zip(range(3), (3, 4, 2))]


def closest_entry(r, g, b):
    """The weighted distance adds up channel by channel, so of the cube only
    the point nearest in each channel can win, of each colour ramp only the
    entry nearest in its channel, and of the grey ramp only the entries next
    to the weighted mean; ties go to the lower index."""
    r2, g2, b2 = 3 * r * r, 4 * g * g, 2 * b * b
    best = CUBE_COST[0][r] + CUBE_COST[1][g] + CUBE_COST[2][b]
    index = CUBE[(CUBE_NEAR[r], CUBE_NEAR[g], CUBE_NEAR[b])]
    for entries, rest in ((RAMP_COST[0][r], g2 + b2), (RAMP_COST[1][g], r2 + b2), (RAMP_COST[2][b], r2 + g2)):
        for i, cost in entries:
            d = cost + rest
            if d < best or d == best and i < index:
                best, index = d, i
    d = r2 + g2 + b2
    if d < best:
        best, index = d, 255
    for i in GREY_NEAR[3 * r + 4 * g + 2 * b]:
        v = PALETTE[i][0]
        d = 3 * (v - r) ** 2 + 4 * (v - g) ** 2 + 2 * (v - b) ** 2
        if d < best or d == best and i < index:
            best, index = d, i
    return index


def distance(i, rgb):
    r, g, b = rgb
    return 3 * (PALETTE[i][0] - r) ** 2 + 4 * (PALETTE[i][1] - g) ** 2 + 2 * (PALETTE[i][2] - b) ** 2


def nearest(rgb):
    """The palette entry closest to a colour (weighted), ties to the lower index."""
    found = INDEX.get(rgb)
    if found is None:
        found = _nearest_cache.get(rgb)
    if found is None:
        found = closest_entry(*rgb)
        _nearest_cache[rgb] = found
    return found


def indices(rgb):
    """The palette index of each pixel of an RGB image, rows top down: each
    colour mapped by nearest(). With few colours Pillow maps the pixels to the
    palette and the colours it maps otherwise than nearest() are set right,
    each through a mask; with many (a photograph) each pixel is looked up."""
    colours = rgb.getcolors(4096)
    if colours is None:
        return bytes(map(nearest, rgb.getdata()))
    colours = [c for _, c in colours]
    wanted = {c: nearest(c) for c in colours}
    strip = Image.new("RGB", (len(colours), 1))
    strip.putdata(colours)
    chosen = dict(zip(colours, strip.quantize(palette=PALETTE_IMAGE, dither=NO_DITHER).getdata()))
    wrong = [c for c in colours if chosen[c] != wanted[c]]
    if len(wrong) > 16:
        # Each mask costs several passes over the picture; past a few, one
        # look-up per pixel is cheaper.
        return bytes(map(wanted.__getitem__, rgb.getdata()))
    indexed = rgb.quantize(palette=PALETTE_IMAGE, dither=NO_DITHER)
    bands = rgb.split()
    for colour in wrong:
        masks = [band.point([255 if v == level else 0 for v in range(256)]) for band, level in zip(bands, colour)]
        mask = ImageChops.multiply(ImageChops.multiply(masks[0], masks[1]), masks[2])
        indexed.paste(wanted[colour], None, mask)
    return indexed.tobytes()


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
        pixels = indices(image.convert("RGB"))
    pad = b"\0" * (-w % 4)
    rows = b"".join(pixels[y * w:(y + 1) * w] + pad for y in range(h - 1, -1, -1))
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 0, len(rows), 0, 0, 0, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    offset = 14 + len(header) + len(table)
    return struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset) + header + table + rows
