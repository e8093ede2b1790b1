#!/usr/bin/python3
"""The art comparison passes what the generator draws and fails once a
picture's words or layout change.

    compare_art_test.py <launcher/resources folder>
"""
import os
import sys
import tempfile
import unittest

RESOURCES = sys.argv[1]
sys.path.insert(0, RESOURCES)
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import compare_art  # noqa: E402
import generate_art  # noqa: E402
from PIL import ImageDraw  # noqa: E402

DRAW_TEXT = ImageDraw.ImageDraw.text


def unchanged():
    return lambda: (lambda: None)


def words(lang, key, value):
    def change():
        old = generate_art.TEXTS[lang][key]
        generate_art.TEXTS[lang][key] = value
        return lambda: generate_art.TEXTS[lang].__setitem__(key, old)
    return change


def text_moved(text, dx, dy):
    def change():
        def draw_text(self, xy, drawn, *args, **kwargs):
            if drawn == text:
                xy = (xy[0] + dx, xy[1] + dy)
            return DRAW_TEXT(self, xy, drawn, *args, **kwargs)
        ImageDraw.ImageDraw.text = draw_text
        return lambda: setattr(ImageDraw.ImageDraw, "text", DRAW_TEXT)
    return change


def panel_moved(dx):
    def change():
        old = generate_art.PANEL_BOX
        left, top, right, bottom = old
        generate_art.PANEL_BOX = (left + dx, top, right + dx, bottom)
        return lambda: setattr(generate_art, "PANEL_BOX", old)
    return change


# (picture, change, whether the comparison must still accept it)
CASES = {
    "apps button as drawn": ("en_apps", unchanged(), True),
    "background as drawn": ("en_background", unchanged(), True),
    "exit button as drawn": ("fr_exit", unchanged(), True),
    "another word on a button": ("en_apps", words("en", "apps", (
        "Install the programs", "TESSERA \u00b7 Quillon")), False),
    "another title": ("de_background", words("de", "title", "Software-Einrichtung"), False),
    "button label moved 3 pixels": ("en_exit", text_moved("Exit", 3, 0), False),
    "panel moved 2 pixels": ("en_background", panel_moved(2), False),
}


def draw(picture, folder):
    lang, kind = picture.split("_")
    if kind == "background":
        image = generate_art.background(lang)
    else:
        (position, size), = [(p, s) for k, _n, p, s in generate_art.BUTTONS if k == kind]
        image = generate_art.button_bitmap(kind, lang, position, size)
    path = os.path.join(folder, picture + ".bmp")
    generate_art.write_bmp(path, image)
    return path


class ArtComparison(unittest.TestCase):
    def test_each_change(self):
        with tempfile.TemporaryDirectory() as folder:
            for name, (picture, change, accepted) in CASES.items():
                with self.subTest(case=name):
                    undo = change()
                    try:
                        drawn = draw(picture, folder)
                    finally:
                        undo()
                    committed = os.path.join(RESOURCES, "bitmaps", picture + ".bmp")
                    why = compare_art.bitmap_difference(committed, drawn)
                    if accepted:
                        self.assertIsNone(why)
                    else:
                        self.assertIsNotNone(why, "the change went unnoticed")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
