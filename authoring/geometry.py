"""Dialog layouts for texts the kit does not know, in dialog units.

A dialog unit is a quarter of the font's average character width and an
eighth of its height, so a line is 8 units high and an average letter 4
units wide; capitals and wide letters are wider, so the kit counts 4.5 (a
double-byte character 8). The text is wrapped at a width that keeps the
dialog readable, and the dialog grows around it with half a line to spare.
"""
import math
import unicodedata

from .model import Geometry

LINE = 8
BUTTON_W, BUTTON_H = 50, 14


def char_width(ch):
    return 8 if unicodedata.east_asian_width(ch) in "WF" else 4.5


def text_width(text):
    return math.ceil(sum(char_width(ch) for ch in text))


def wrapped_lines(text, width):
    """How many lines the text takes at the given width (words, then characters)."""
    count = 0
    for paragraph in text.split("\n"):
        line = 0
        count += 1
        for word in paragraph.split(" "):
            w = text_width(word)
            gap = 5 if line else 0
            if line and line + gap + w > width:
                count += 1
                line = 0
                gap = 0
            while w > width:          # a word (or a run of wide characters) longer than a line
                count += 1
                w -= width
            line += gap + w
    return count


# A run without spaces (a sentence in Japanese or Chinese) is widened up to
# this before it is left to the static control to break between characters:
# Windows breaks there, Wine 10 does not, and would clip it.
UNBROKEN_RUN_WIDTH = 340


def longest_run(text):
    return max(text_width(word) for paragraph in text.split("\n") for word in paragraph.split(" "))


def fit(text, margin, min_width, max_text_width, cancel):
    widest = max(text_width(p) for p in text.split("\n"))
    run = longest_run(text)
    if max_text_width < run <= UNBROKEN_RUN_WIDTH:
        max_text_width = run
    width = max(min(widest + 4, max_text_width), min_width - 2 * margin)
    height = wrapped_lines(text, width) * LINE + 4
    size_w = width + 2 * margin + 2
    buttons_y = margin + height + 10
    size_h = buttons_y + BUTTON_H + 8
    return width, height, size_w, size_h, buttons_y


def message_geometry(text, with_cancel):
    """A message dialog: text at 15, 15; OK (and Cancel) at the bottom right."""
    width, height, size_w, size_h, y = fit(text, 15, 187, 260, with_cancel)
    if with_cancel:
        return Geometry((size_w, size_h), (size_w - 124, y), (size_w - 57, y),
                        (15, 15, width, height))
    return Geometry((size_w, size_h), (size_w - 57, y), None, (15, 15, width, height))


def confirmation_geometry(text):
    """A confirmation: text at 18, 13; OK and Cancel side by side below it."""
    width, height, size_w, size_h, y = fit(text, 18, 180, 240, True)
    middle = size_w // 2
    return Geometry((size_w, size_h), (middle - 62, y), (middle + 12, y),
                    (18, 13, width, height))
