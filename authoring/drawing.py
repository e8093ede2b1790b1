"""Menu pictures drawn by the kit from the manifest's texts.

They are kept beside the manifest (disc.pictures, default pictures/) with a
hash of everything they were drawn from; a build redraws them only when that
hash changes, so a disc's SETUP.EXE does not change with the machine's fonts.
"""
import functools
import hashlib
import json
import shutil
import subprocess

from PIL import Image, ImageDraw, ImageFont

from . import palette
from .errors import NoFont  # noqa: F401 (raised and caught as drawing.NoFont)

DRAWING_VERSION = 2
FONT_FILES = ("/usr/share/fonts/truetype/liberation/LiberationSans-{}.ttf",
              "/usr/share/fonts/truetype/dejavu/DejaVuSans{}.ttf")

NAVY, DEEP, MID = (0x00, 0x00, 0x33), (0x00, 0x33, 0x66), (0x33, 0x66, 0x99)
GOLD, WHITE, INK, GREY = (0xFF, 0xCC, 0x00), (0xFF, 0xFF, 0xFF), (0x00, 0x00, 0x33), (0x44, 0x44, 0x44)
PALE = (0xCC, 0xCC, 0xFF)



def needs_other_font(text):
    """Liberation Sans draws Latin, Greek and Cyrillic; anything else needs a font
    that the system finds for it."""
    return any(ord(ch) > 0x52F and not 0x2000 <= ord(ch) <= 0x20CF for ch in text)


@functools.lru_cache(maxsize=None)
def system_font_files(codepoints):
    """The font files the system has for these characters, sorted."""
    if not shutil.which("fc-list") or not codepoints:
        return ()
    listed = subprocess.run(["fc-list", "-f", "%{file}\n", ":charset=" + " ".join(f"{c:x}" for c in codepoints)],
                            capture_output=True, text=True).stdout.split()
    return tuple(sorted(f for f in listed if f.lower().endswith((".ttf", ".otf", ".ttc"))))


def font_for(texts, weight, size, language):
    if not any(needs_other_font(t) for t in texts):
        for pattern in FONT_FILES:
            name = pattern.format("Bold" if weight == "bold" else ("Regular" if "liberation" in pattern else ""))
            try:
                return ImageFont.truetype(name.replace("DejaVuSansRegular", "DejaVuSans"), size)
            except OSError:
                continue
    files = system_font_files(tuple(sorted({ord(ch) for t in texts for ch in t if not ch.isspace()})))
    bold = [f for f in files if "bold" in f.lower()]
    plain = [f for f in files if "bold" not in f.lower() and "italic" not in f.lower()]
    for candidate in (bold if weight == "bold" else []) + plain + list(files):
        try:
            return ImageFont.truetype(candidate, size)
        except OSError:
            continue
    raise NoFont(f"no font on this machine draws {language.name} text such as {texts[0]!r}; "
                 "install a font package that covers it (for Japanese, fonts-ipafont-gothic) "
                 "or give your own pictures")


# 4 x 4 ordered-dither thresholds: gradients blend between palette colours
# in a fine, regular pattern instead of bands.
BAYER = ((0, 8, 2, 10), (12, 4, 14, 6), (3, 11, 1, 9), (15, 7, 13, 5))


def gradient(size, top, bottom):
    """A vertical gradient, dithered; each row repeats every four pixels, so
    one period is worked out per row and the rows are tiled across. Buttons
    of one size share theirs, so each size is drawn once."""
    return drawn_gradient(tuple(size), tuple(top), tuple(bottom)).copy()


@functools.lru_cache(maxsize=64)
def drawn_gradient(size, top, bottom):
    w, h = size
    period = Image.new("RGB", (4, max(h, 1)))
    px = period.load()
    for y in range(h):
        t = y / max(h - 1, 1)
        base = [top[i] + (bottom[i] - top[i]) * t for i in range(3)]
        for x in range(4):
            offset = ((BAYER[y % 4][x] + 0.5) / 16 - 0.5) * 0x33
            wanted = tuple(min(255, max(0, int(round(c + offset)))) for c in base)
            px[x, y] = palette.PALETTE[palette.nearest(wanted)]
    img = Image.new("RGB", size)
    img.paste(period, (0, 0))
    filled = 4
    while filled < w:
        # Doubling what is filled: a few pastes for any width.
        img.paste(img.crop((0, 0, filled, h)), (filled, 0))
        filled *= 2
    return img


def backdrop(size):
    img = gradient(size, MID, DEEP)
    img.paste(gradient((size[0], 34), NAVY, DEEP), (0, 0))
    ImageDraw.Draw(img).rectangle((0, 34, size[0] - 1, 35), fill=GOLD)
    return img


def background(disc, lang):
    img = backdrop(disc.menu_size)
    draw = ImageDraw.Draw(img)
    title = font_for([lang.title], "bold", 19, lang)
    draw.text((14, 17), lang.title, font=title, fill=WHITE, anchor="lm")
    version = "Ver. {}.{}".format(*disc.product.version[:2])
    draw.text((disc.menu_size[0] - 14, 18), version, font=font_for([version], "regular", 11, lang),
              fill=PALE, anchor="rm")
    if lang.footer:
        draw.text((21, disc.menu_size[1] - 12), lang.footer, font=font_for([lang.footer], "regular", 11, lang),
                  fill=PALE, anchor="lm")
    return img


ACCENTS = ((0x33, 0x66, 0xCC), (0x33, 0x99, 0x33), (0xCC, 0x66, 0x00), (0x99, 0x33, 0x99),
           (0x00, 0x99, 0x99))
EXIT_ACCENT = (0x99, 0x33, 0x33)


def emblem(button, size):
    """The button's tile: the author's icon, or a generic one (an arrow into
    a tray for installing, a cross for leaving) on an accent colour."""
    if button.emblem is not None:
        with Image.open(button.emblem) as icon:
            icon = icon.convert("RGBA")
            icon.thumbnail((size, size))
            tile = Image.new("RGB", (size, size), WHITE)
            tile.paste(icon, ((size - icon.width) // 2, (size - icon.height) // 2), icon)
            return tile
    s = 4
    accent = EXIT_ACCENT if button.kind == "exit" else ACCENTS[(button.number - 2) % len(ACCENTS)]
    big = Image.new("RGB", (size * s, size * s), accent)
    d = ImageDraw.Draw(big)
    c, u = size * s / 2, size * s / 24
    if button.kind == "exit":
        for a, b in (((c - 6 * u, c - 6 * u), (c + 6 * u, c + 6 * u)), ((c - 6 * u, c + 6 * u), (c + 6 * u, c - 6 * u))):
            d.line((a, b), fill=WHITE, width=int(4.4 * u))
    else:
        d.rectangle((c - 9 * u, c + 4 * u, c + 9 * u, c + 8 * u), fill=WHITE)
        d.polygon(((c - 2.5 * u, c - 9 * u), (c + 2.5 * u, c - 9 * u), (c + 2.5 * u, c - 2 * u),
                   (c + 6.5 * u, c - 2 * u), (c, c + 4.5 * u), (c - 6.5 * u, c - 2 * u),
                   (c - 2.5 * u, c - 2 * u)), fill=WHITE)
    return big.resize((size, size), Image.BOX)


def face(base, size, button, label, sublabel, pressed, lang):
    w, h = size
    img = base.copy()
    draw = ImageDraw.Draw(img)
    shift = 2 if pressed else 0
    fill = gradient((w - 2, h - 2), (0xBB, 0xBB, 0xBB) if pressed else WHITE, (0xDD, 0xDD, 0xDD))
    draw.rounded_rectangle((0, 0, w - 1, h - 1), 6, fill=INK)
    mask = Image.new("L", (w - 2, h - 2), 0)
    ImageDraw.Draw(mask).rounded_rectangle((0, 0, w - 3, h - 3), 5, fill=255)
    img.paste(fill, (1, 1), mask)
    tile_size = max(8, min(h - 12, 34))
    tile = emblem(button, tile_size)
    tile_y = (h - tile_size) // 2 + shift
    if not sublabel:
        fnt = font_for([label], "bold", 13, lang)
        text_w = fnt.getlength(label)
        left = int((w - (tile_size + 5 + text_w)) // 2) + shift
        img.paste(tile, (left, tile_y))
        draw.text((left + tile_size + 5, h // 2 + shift), label, font=fnt, fill=INK, anchor="lm")
        return img
    img.paste(tile, (8 + shift, tile_y))
    text_x = 8 + tile_size + 10 + shift
    draw.text((text_x, h // 2 - 1 + shift), label, font=font_for([label], "bold", 16, lang),
              fill=INK, anchor="ls")
    draw.text((text_x, h // 2 + 3 + shift), sublabel, font=font_for([sublabel], "regular", 12, lang),
              fill=GREY, anchor="lt")
    return img


def button(disc, lang, number, menu=None):
    """Both faces of a button on the part of the menu's backdrop it covers
    (menu: that backdrop, drawn once for all buttons)."""
    b = disc.buttons[number - 1]
    w, h = disc.button_sizes[number]
    base = (menu if menu is not None else backdrop(disc.menu_size)).crop((b.x, b.y, b.x + w, b.y + h))
    both = Image.new("RGB", (w, 2 * h))
    for row, pressed in ((0, False), (h, True)):
        both.paste(face(base, (w, h), b, b.labels.get(lang.key, ""), b.sublabels.get(lang.key, ""),
                        pressed, lang), (0, row))
    return both


def emblem_digest(button):
    return hashlib.sha256(button.emblem.read_bytes()).hexdigest() if button.emblem else None


def inputs_hash(disc, lang):
    inputs = {"version": DRAWING_VERSION, "menu": disc.menu_size, "title": lang.title,
              "footer": lang.footer, "product": disc.product.version[:2],
              "buttons": [(b.number, b.kind, b.x, b.y, disc.button_sizes[b.number], b.labels.get(lang.key),
                           b.sublabels.get(lang.key), emblem_digest(b)) for b in disc.buttons]}
    return hashlib.sha256(json.dumps(inputs, ensure_ascii=False).encode()).hexdigest()


def drawn_files(disc, lang):
    folder = disc.pictures_folder
    files = {"background": folder / f"{lang.key}_background.bmp"}
    for b in disc.buttons:
        files[b.number] = folder / f"{lang.key}_button{b.number}.bmp"
    return files, folder / f"{lang.key}.inputs"


def kept_picture_fits(path, size):
    """Whether a kept picture is whole and of the size the menu needs."""
    try:
        with Image.open(path) as image:
            if image.size != size:
                return False
            image.load()
            return True
    except (OSError, SyntaxError, ValueError, Image.DecompressionBombError):
        return False


def is_current(disc, files, stamp, wanted):
    """Whether the kept pictures were drawn from these inputs and are whole and
    of the right sizes (a stamp that is not the kit's text simply does not match)."""
    try:
        if not stamp.is_file() or stamp.read_bytes().strip() != wanted.encode():
            return False
    except OSError:
        return False
    sizes = {"background": disc.menu_size}
    sizes.update({number: (w, 2 * h) for number, (w, h) in disc.button_sizes.items()})
    return all(kept_picture_fits(path, sizes.get(key)) for key, path in files.items())


def check_fonts(disc, problems):
    """Before anything is written: every text that must be drawn now has a font."""
    for i, lang in enumerate(disc.languages, 1):
        if lang.background is not None:
            continue
        files, stamp = drawn_files(disc, lang)
        if is_current(disc, files, stamp, inputs_hash(disc, lang)):
            continue
        texts = [(f"language[{i}].title", lang.title), (f"language[{i}].footer", lang.footer)]
        for b in disc.buttons:
            texts += [(f"button[{b.number}].label.{lang.key}", b.labels.get(lang.key, "")),
                      (f"button[{b.number}].sublabel.{lang.key}", b.sublabels.get(lang.key, ""))]
        for key, text in texts:
            if text:
                try:
                    font_for([text], "regular", 12, lang)
                except NoFont as error:
                    problems.add(key, str(error))


def ensure_drawn(disc, lang):
    """Draws a language's pictures unless the stored ones were drawn from the
    same inputs; returns (files, whether they were drawn now)."""
    files, stamp = drawn_files(disc, lang)
    wanted = inputs_hash(disc, lang)
    if is_current(disc, files, stamp, wanted):
        return files, False
    pictures = {"background": background(disc, lang)}
    menu = backdrop(disc.menu_size)
    for b in disc.buttons:
        pictures[b.number] = button(disc, lang, b.number, menu)
    disc.pictures_folder.mkdir(parents=True, exist_ok=True)
    for key, image in pictures.items():
        files[key].write_bytes(palette.bmp_bytes(image))
    stamp.write_text(wanted + "\n")
    return files, True
