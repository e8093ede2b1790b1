"""A picture of each language's menu without Wine: the background with every
button's normal face where the button record places it."""
from PIL import Image


def menu_preview(disc, bitmaps):
    background = Image.open(bitmaps["background"]).convert("RGB")
    for b in disc.buttons:
        w, h = disc.button_sizes[b.number]
        with Image.open(bitmaps[b.number]) as picture:
            background.paste(picture.convert("RGB").crop((0, 0, w, h)), (b.x, b.y))
    return background


def write_previews(disc, bitmaps_by_language, folder):
    folder.mkdir(parents=True, exist_ok=True)
    written = []
    for lang in disc.languages:
        path = folder / f"menu-{lang.key}.png"
        menu_preview(disc, bitmaps_by_language[lang.key]).save(path)
        written.append(path)
    return written
