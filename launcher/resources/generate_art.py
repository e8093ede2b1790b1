#!/usr/bin/python3
"""PURPOSE: draws the launcher's menu pictures, its palette and its icon.

Writes, beside this script:
  palette.bin                 768 bytes: red, green, blue of each of 256 entries
  launcher.ico                one 32 x 32 image, 16 colours
  bitmaps/<lang>_*.bmp        8-bit BI_RGB bitmaps whose colour table is the palette

Needs Debian's python3-pil and fonts-liberation. The output is byte-for-byte
the same on every run with one Pillow and FreeType (other releases shade
glyph edges a little differently, which the build's art check allows), and
it is committed, so building the launcher needs no
image tools: run this only after changing a picture. With --output DIR it
writes the same files under DIR instead.
"""

import os
import struct
import sys

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", ".."))
from authoring import palette  # noqa: E402
FONT_DIR = "/usr/share/fonts/truetype/liberation"

# The palette is the kit's (authoring/palette.py): the menu selects it before
# drawing, so every bitmap uses it as its colour table and a 256-colour
# display shows the pictures without remapping.
PALETTE = palette.PALETTE


def nearest(rgb):
    """The palette colour nearest to rgb (weighted; ties to the lower index)."""
    return PALETTE[palette.nearest(tuple(rgb[:3]))]


class IconColourMapper:
    """Maps colours to the nearest of the icon's 16 colours, weighted as the
    palette's nearest(); ties go to the lower index."""

    def __init__(self, colours):
        self.colours = colours
        self.cache = {}

    def index(self, rgb):
        found = self.cache.get(rgb)
        if found is None:
            r, g, b = rgb[:3]
            found = min(range(len(self.colours)),
                        key=lambda i: 3 * (self.colours[i][0] - r) ** 2
                        + 4 * (self.colours[i][1] - g) ** 2
                        + 2 * (self.colours[i][2] - b) ** 2)
            self.cache[rgb] = found
        return found


# 4 x 4 ordered-dither thresholds: gradients then blend between cube levels
# in a fine, regular pattern instead of showing bands.
BAYER = ((0, 8, 2, 10), (12, 4, 14, 6), (3, 11, 1, 9), (15, 7, 13, 5))


def lerp(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def dithered_gradient(size, top, bottom, origin_y=0, total_height=None):
    """A vertical gradient made only of palette colours.

    origin_y and total_height let a piece of a larger gradient line up with
    the whole (the buttons reuse the background's pattern under their corners).
    """
    w, h = size
    total = total_height or h
    img = Image.new("RGB", size)
    px = img.load()
    for y in range(h):
        t = (origin_y + y) / max(total - 1, 1)
        base = lerp(top, bottom, t)
        for x in range(w):
            offset = (BAYER[(origin_y + y) % 4][x % 4] + 0.5) / 16 - 0.5
            wanted = tuple(min(255, max(0, int(round(c + offset * 0x33)))) for c in base)
            px[x, y] = nearest(wanted)
    return img


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


def bold(size):
    return font("LiberationSans-Bold.ttf", size)


def regular(size):
    return font("LiberationSans-Regular.ttf", size)


SUPERSAMPLE = 4


def smooth_mask(size, draw_shape):
    """An anti-aliased mask: the shape is drawn four times larger and reduced."""
    w, h = size
    big = Image.new("L", (w * SUPERSAMPLE, h * SUPERSAMPLE), 0)
    draw_shape(ImageDraw.Draw(big), SUPERSAMPLE)
    return big.resize(size, Image.BOX)


def paste_shape(canvas, fill, draw_shape, at=(0, 0)):
    """Lays a fill (a colour or an image of the shape's size) through a smooth mask."""
    size = fill.size if isinstance(fill, Image.Image) else canvas.size
    mask = smooth_mask(size, draw_shape)
    if not isinstance(fill, Image.Image):
        fill = Image.new("RGB", size, fill)
    canvas.paste(fill, at, mask)


def rounded(box, radius):
    def draw_shape(draw, s):
        x0, y0, x1, y1 = box
        draw.rounded_rectangle((x0 * s, y0 * s, x1 * s - 1, y1 * s - 1), radius * s, fill=255)
    return draw_shape


def shadowed_text(draw, xy, text, fnt, fill, shadow, anchor="la"):
    x, y = xy
    draw.text((x + 1, y + 1), text, font=fnt, fill=shadow, anchor=anchor)
    draw.text((x, y), text, font=fnt, fill=fill, anchor=anchor)


# ---------------------------------------------------------------------------
# Colours (all palette entries, so flat areas never dither).

NAVY = (0x00, 0x00, 0x33)
DEEP = (0x00, 0x33, 0x66)
MID_BLUE = (0x33, 0x66, 0x99)
SKY = (0x66, 0x99, 0xCC)
PALE_BLUE = (0xCC, 0xCC, 0xFF)
GOLD = (0xFF, 0xCC, 0x00)
WHITE = (0xFF, 0xFF, 0xFF)
INK = (0x00, 0x00, 0x33)
GREY_TEXT = (0x44, 0x44, 0x44)

ACCENTS = {
    "all": (0x33, 0x66, 0xCC),
    "apps": (0x33, 0x99, 0x33),
    "twain": (0xCC, 0x66, 0x00),
    "exit": (0x99, 0x33, 0x33),
}

MENU_SIZE = (488, 242)

# Where the menu places each button (the button record's x and y) and the
# size of one face; the bitmap holds the normal face above the pressed face.
BUTTONS = (
    ("exit", 1, (382, 200), (95, 32)),
    ("all", 2, (21, 41), (447, 46)),
    ("apps", 3, (21, 93), (293, 62)),
    ("twain", 4, (21, 160), (293, 62)),
)

PANEL_BOX = (326, 93, 477, 192)

# ---------------------------------------------------------------------------
# Localized words on the pictures.

TEXTS = {
    "en": {
        "title": "Software Installation",
        "version": "Ver. 3.3",
        "panel": "On this disc",
        "products": ("TESSERA", "Quillon", "KX SERIAL TWAIN Driver"),
        "footer": "Click a button to start the installation.",
        "exit": ("Exit", None),
        "all": ("Install everything", "TESSERA, Quillon and the KX SERIAL TWAIN Driver"),
        "apps": ("Install the applications", "TESSERA \u00b7 Quillon"),
        "twain": ("Install the TWAIN driver", "KX SERIAL TWAIN Driver"),
    },
    "fr": {
        "title": "Installation des logiciels",
        "version": "Ver. 3.3",
        "panel": "Sur ce disque",
        "products": ("TESSERA", "Quillon", "Pilote KX SERIAL TWAIN"),
        "footer": "Cliquez sur un bouton pour lancer l'installation.",
        "exit": ("Quitter", None),
        "all": ("Tout installer", "TESSERA, Quillon et le pilote KX SERIAL TWAIN"),
        "apps": ("Installer les applications", "TESSERA \u00b7 Quillon"),
        "twain": ("Installer le pilote TWAIN", "Pilote KX SERIAL TWAIN"),
    },
    "de": {
        "title": "Software-Installation",
        "version": "Ver. 3.3",
        "panel": "Auf dieser CD",
        "products": ("TESSERA", "Quillon", "KX SERIAL TWAIN-Treiber"),
        "footer": "Klicken Sie auf eine Schaltfl\u00e4che, um die Installation zu starten.",
        "exit": ("Beenden", None),
        "all": ("Alles installieren", "TESSERA, Quillon und der KX SERIAL TWAIN-Treiber"),
        "apps": ("Anwendungen installieren", "TESSERA \u00b7 Quillon"),
        "twain": ("TWAIN-Treiber installieren", "KX SERIAL TWAIN-Treiber"),
    },
}

# ---------------------------------------------------------------------------
# Background.


def menu_backdrop():
    """The plain blue field that the background and every button corner share."""
    w, h = MENU_SIZE
    img = dithered_gradient(MENU_SIZE, MID_BLUE, DEEP)
    img.paste(dithered_gradient((w, 34), NAVY, DEEP), (0, 0))
    ImageDraw.Draw(img).rectangle((0, 34, w - 1, 35), fill=GOLD)
    return img


def draw_disc(draw, cx, cy, radius, s):
    """A compact disc seen from above: rim, silver face, shine and hole."""
    def circle(r, **kw):
        draw.ellipse(((cx - r) * s, (cy - r) * s, (cx + r) * s - 1, (cy + r) * s - 1), **kw)
    circle(radius, fill=(0xCC, 0xCC, 0xCC))
    circle(radius - 1, fill=(0xEE, 0xEE, 0xEE))
    draw.pieslice(((cx - radius + 1) * s, (cy - radius + 1) * s,
                   (cx + radius - 1) * s - 1, (cy + radius - 1) * s - 1),
                  200, 250, fill=(0xCC, 0xFF, 0xFF))
    draw.pieslice(((cx - radius + 1) * s, (cy - radius + 1) * s,
                   (cx + radius - 1) * s - 1, (cy + radius - 1) * s - 1),
                  20, 70, fill=(0xFF, 0xFF, 0xCC))
    circle(radius * 0.36, fill=(0xAA, 0xAA, 0xAA))
    circle(radius * 0.18, fill=(0x00, 0x33, 0x66))


def background(lang):
    t = TEXTS[lang]
    img = menu_backdrop()
    draw = ImageDraw.Draw(img)

    # Title bar: a small disc, the title, and the version at the right.
    big = Image.new("RGB", (30 * SUPERSAMPLE, 30 * SUPERSAMPLE), NAVY)
    mask = Image.new("L", big.size, 0)
    draw_disc(ImageDraw.Draw(big), 15, 15, 13, SUPERSAMPLE)
    ImageDraw.Draw(mask).ellipse((2 * SUPERSAMPLE, 2 * SUPERSAMPLE,
                                  28 * SUPERSAMPLE - 1, 28 * SUPERSAMPLE - 1), fill=255)
    img.paste(big.resize((30, 30), Image.BOX), (14, 2), mask.resize((30, 30), Image.BOX))
    shadowed_text(draw, (52, 17), t["title"], bold(19), WHITE, NAVY, anchor="lm")
    draw.text((474, 18), t["version"], font=regular(11), fill=SKY, anchor="rm")

    # The products on the disc, in a panel right of the two smaller buttons.
    x0, y0, x1, y1 = PANEL_BOX
    paste_shape(img, SKY, rounded((x0, y0, x1, y1), 6))
    paste_shape(img, DEEP, rounded((x0 + 1, y0 + 1, x1 - 1, y1 - 1), 5))
    draw.text((x0 + 10, y0 + 8), t["panel"], font=bold(12), fill=GOLD)
    draw.line((x0 + 10, y0 + 24, x1 - 10, y0 + 24), fill=MID_BLUE)
    colours = (ACCENTS["apps"], ACCENTS["apps"], ACCENTS["twain"])
    y = y0 + 32
    for name, colour in zip(t["products"], colours):
        draw.rectangle((x0 + 11, y + 3, x0 + 17, y + 9), fill=colour)
        lines = wrap(name, bold(12), x1 - x0 - 36)
        for line in lines:
            draw.text((x0 + 24, y), line, font=bold(12), fill=WHITE)
            y += 14
        y += 5

    draw.text((21, 232), t["footer"], font=regular(11), fill=PALE_BLUE, anchor="lm")
    return img


def wrap(text, fnt, width):
    words, lines, line = text.split(" "), [], ""
    for word in words:
        candidate = word if not line else line + " " + word
        if line and fnt.getlength(candidate) > width:
            lines.append(line)
            line = word
        else:
            line = candidate
    lines.append(line)
    return lines


# ---------------------------------------------------------------------------
# Buttons: a rounded face with a bevel, an emblem and a label. The pressed
# face is darker, its bevel inverted and its content moved 2 pixels down and
# right, as if the face had sunk into the panel.

FACE_NORMAL = ((0xFF, 0xFF, 0xFF), (0xDD, 0xDD, 0xDD))
FACE_PRESSED = ((0xBB, 0xBB, 0xBB), (0xDD, 0xDD, 0xDD))


def emblem(kind, size, accent):
    """The white symbol of a button on its accent-coloured tile, drawn smooth."""
    s = SUPERSAMPLE
    big = Image.new("RGB", (size * s, size * s), accent)
    d = ImageDraw.Draw(big)
    c = size * s / 2
    u = size * s / 24  # one unit of a 24-unit design grid
    if kind == "all":
        d.ellipse((c - 9 * u, c - 9 * u, c + 9 * u, c + 9 * u), fill=WHITE)
        d.ellipse((c - 3 * u, c - 3 * u, c + 3 * u, c + 3 * u), fill=accent)
        d.ellipse((c - 1.3 * u, c - 1.3 * u, c + 1.3 * u, c + 1.3 * u), fill=WHITE)
    elif kind == "apps":
        d.rectangle((c - 9 * u, c - 7 * u, c + 9 * u, c + 8 * u), fill=WHITE)
        d.rectangle((c - 7.5 * u, c - 3 * u, c + 7.5 * u, c + 6.5 * u), fill=accent)
        d.rectangle((c - 6 * u, c - 1.5 * u, c - 1 * u, c + 5 * u), fill=WHITE)
        d.rectangle((c + 1 * u, c - 1.5 * u, c + 6 * u, c + 1.5 * u), fill=WHITE)
    elif kind == "twain":
        d.polygon(((c - 10 * u, c + 2 * u), (c + 10 * u, c + 2 * u),
                   (c + 10 * u, c + 8 * u), (c - 10 * u, c + 8 * u)), fill=WHITE)
        d.polygon(((c - 10 * u, c), (c + 8 * u, c - 8 * u),
                   (c + 10 * u, c - 6 * u), (c - 7 * u, c + 1 * u)), fill=WHITE)
        d.rectangle((c - 7 * u, c + 4.5 * u, c + 2 * u, c + 5.5 * u), fill=accent)
    elif kind == "exit":
        w = 2.2 * u
        d.line((c - 6 * u, c - 6 * u, c + 6 * u, c + 6 * u), fill=WHITE, width=int(w * 2))
        d.line((c - 6 * u, c + 6 * u, c + 6 * u, c - 6 * u), fill=WHITE, width=int(w * 2))
    tile = big.resize((size, size), Image.BOX)
    return tile, rounded((0, 0, size, size), max(3, size // 6))


def button_face(kind, texts, backdrop, size, pressed):
    w, h = size
    img = backdrop.copy()
    draw = ImageDraw.Draw(img)
    shift = 2 if pressed else 0
    top, bottom = FACE_PRESSED if pressed else FACE_NORMAL
    radius = 7 if h > 40 else 5

    # Frame, then the face gradient inside it; a light top edge when raised,
    # a dark one when sunk.
    paste_shape(img, INK, rounded((0, 0, w, h), radius))
    face = dithered_gradient((w - 2, h - 2), top, bottom)
    inner = Image.new("RGB", (w, h))
    inner.paste(face, (1, 1))
    paste_shape(img, inner, rounded((1, 1, w - 1, h - 1), radius - 1))
    edge = (0x77, 0x77, 0x77) if pressed else WHITE
    draw.line((radius, 1, w - radius - 1, 1), fill=edge)
    if pressed:
        draw.line((1, radius, 1, h - radius - 1), fill=edge)

    label, sub = texts
    if kind == "exit":
        tile_size = 18
        label_font = bold(13)
        text_w = label_font.getlength(label)
        gap = 5
        left = (w - (tile_size + gap + text_w)) // 2 + shift
        tile, shape = emblem(kind, tile_size, ACCENTS[kind])
        tile_y = (h - tile_size) // 2 + shift
        img.paste(tile, (int(left), tile_y), smooth_mask(tile.size, shape))
        draw.text((left + tile_size + gap, h // 2 + shift), label, font=label_font,
                  fill=INK, anchor="lm")
        return img

    tile_size = h - 16
    tile, shape = emblem(kind, tile_size, ACCENTS[kind])
    tile_x, tile_y = 8 + shift, 8 + shift
    img.paste(tile, (tile_x, tile_y), smooth_mask(tile.size, shape))
    text_x = tile_x + tile_size + 12
    label_font = bold(17 if h > 50 else 16)
    sub_font = regular(12)
    middle = h // 2 + shift
    draw.text((text_x, middle - 1), label, font=label_font, fill=INK, anchor="ls")
    draw.text((text_x, middle + 3), sub, font=sub_font, fill=GREY_TEXT, anchor="lt")
    return img


def button_bitmap(kind, lang, position, size):
    x, y = position
    w, h = size
    backdrop = menu_backdrop().crop((x, y, x + w, y + h))
    normal = button_face(kind, TEXTS[lang][kind], backdrop, size, pressed=False)
    pressed = button_face(kind, TEXTS[lang][kind], backdrop, size, pressed=True)
    both = Image.new("RGB", (w, 2 * h))
    both.paste(normal, (0, 0))
    both.paste(pressed, (0, h))
    return both


# ---------------------------------------------------------------------------
# Writers.


def packed_rows(width, height, index_at, bits_per_pixel):
    """Bottom-up rows, each padded to a multiple of 4 bytes."""
    rows = []
    for y in range(height - 1, -1, -1):
        if bits_per_pixel == 8:
            row = bytes(index_at(x, y) for x in range(width))
        elif bits_per_pixel == 4:
            row = bytes((index_at(x, y) << 4) | index_at(x + 1, y) for x in range(0, width, 2))
        else:  # 1 bit
            row = bytes(sum(index_at(x + i, y) << (7 - i) for i in range(8))
                        for x in range(0, width, 8))
        rows.append(row + b"\0" * (-len(row) % 4))
    return b"".join(rows)


def info_header(width, height, bits, image_size):
    # biClrUsed 0: the colour table has the full 2^bits entries.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, image_size, 0, 0, 0, 0)


def write_bmp(path, img):
    w, h = img.size
    px = img.load()
    bits = packed_rows(w, h, lambda x, y: palette.nearest(tuple(px[x, y][:3])), 8)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    header = info_header(w, h, 8, len(bits))
    offset = 14 + len(header) + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(file_header + header + table + bits)


# The 16 colours every display of the period has; the icon uses only these.
ICON_COLOURS = (
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
)


def icon_picture():
    """A disc over an installation box with a down arrow; returns (RGB, mask)."""
    s = SUPERSAMPLE
    img = Image.new("RGB", (32 * s, 32 * s), (0x80, 0x80, 0x80))  # edges blend into grey, not black
    shape = Image.new("L", img.size, 0)
    d, m = ImageDraw.Draw(img), ImageDraw.Draw(shape)

    def both(method, box, colour, **kw):
        getattr(d, method)([v * s for v in box], fill=colour, **kw)
        getattr(m, method)([v * s for v in box], fill=255, **kw)

    # Box with its lid.
    both("rectangle", (3, 17, 29, 31), (0x00, 0x00, 0x80))
    both("rectangle", (4, 18, 28, 30), (0x00, 0x00, 0xFF))
    both("rectangle", (4, 18, 28, 20), (0x00, 0x00, 0x80))
    # Disc.
    both("ellipse", (6, 0, 26, 20), (0x80, 0x80, 0x80))
    both("ellipse", (7, 1, 25, 19), (0xC0, 0xC0, 0xC0))
    d.pieslice((8 * s, 2 * s, 24 * s, 18 * s), 200, 250, fill=(0xFF, 0xFF, 0xFF))
    d.pieslice((8 * s, 2 * s, 24 * s, 18 * s), 20, 70, fill=(0x00, 0xFF, 0xFF))
    d.ellipse((13 * s, 7 * s, 19 * s, 13 * s), fill=(0x80, 0x80, 0x80))
    d.ellipse((14.5 * s, 8.5 * s, 17.5 * s, 11.5 * s), fill=(0, 0, 0))
    m.ellipse((14.5 * s, 8.5 * s, 17.5 * s, 11.5 * s), fill=0)
    # Arrow into the box.
    arrow = ((13, 19), (19, 19), (19, 23), (23, 23), (16, 30), (9, 23), (13, 23))
    both("polygon", [v for p in arrow for v in p], (0xFF, 0xFF, 0x00))
    return img.resize((32, 32), Image.BOX), shape.resize((32, 32), Image.BOX)


def write_icon(path):
    picture, shape = icon_picture()
    px, sh = picture.load(), shape.load()
    icon_mapper = IconColourMapper(ICON_COLOURS)

    def colour(x, y):
        return icon_mapper.index(px[x, y]) if sh[x, y] >= 128 else 0

    def transparent(x, y):
        return 0 if sh[x, y] >= 128 else 1

    xor_bits = packed_rows(32, 32, colour, 4)
    and_bits = packed_rows(32, 32, transparent, 1)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in ICON_COLOURS)
    # An icon image's header counts the XOR and AND bitmaps together: twice the height.
    image = info_header(32, 64, 4, len(xor_bits) + len(and_bits)) + table + xor_bits + and_bits
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + image)


def main(argv):
    # --output DIR writes elsewhere, so that a test can compare a fresh run
    # with the committed files.
    out = argv[argv.index("--output") + 1] if "--output" in argv else HERE
    os.makedirs(os.path.join(out, "bitmaps"), exist_ok=True)
    with open(os.path.join(out, "palette.bin"), "wb") as f:
        f.write(palette.palette_bytes())
    write_icon(os.path.join(out, "launcher.ico"))
    for lang in TEXTS:
        write_bmp(os.path.join(out, "bitmaps", f"{lang}_background.bmp"), background(lang))
        for kind, _number, position, size in BUTTONS:
            write_bmp(os.path.join(out, "bitmaps", f"{lang}_{kind}.bmp"),
                      button_bitmap(kind, lang, position, size))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
