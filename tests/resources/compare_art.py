#!/usr/bin/python3
"""Compares freshly generated art with the committed art.

    compare_art.py <committed folder> <generated folder>

The palette, the icon and every bitmap's headers and colour table must match
byte for byte, and the same files must be there. The pixels of a bitmap may
differ only as two text renderers differ: FreeType releases shade the edges
of glyphs differently and may place a glyph a pixel further along. So a pixel
counts as changed only when no pixel within one pixel of the same place in
the other picture is close to its colour (both ways), and a picture counts as
changed when more than a few such pixels appear in any one small square. A
different word or a shape moved by two pixels or more changes whole strokes
and fails; shading and one-pixel glyph placement do not. What this lets
through: a single letter changed in the smallest, palest text, and a thin
line of text moved by two pixels.
"""
import os
import sys

from PIL import Image, ImageChops

# Colour distance (largest of the three channels) that a neighbour may have
# and still explain a pixel. Glyph edge shading differs by less.
COLOUR_TOLERANCE = 96
# The side of the squares in which changed pixels are counted, and how many
# one square may hold. One letter of the menu's smallest text covers about
# 6 x 9 pixels, its strokes 15 or more of them.
SQUARE = 8
CHANGED_PER_SQUARE = 8

ART_FILES = (".bin", ".ico", ".bmp")


def header_bytes(path):
    """A bitmap's file and info headers and colour table: everything before
    its pixels."""
    with open(path, "rb") as f:
        data = f.read()
    return data[:int.from_bytes(data[10:14], "little")]


def unexplained(a, b):
    """A mask (mode "1") of the pixels of a that no pixel of b within one
    pixel of the same place comes within the tolerance of."""
    w, h = a.size
    padded = Image.new("RGB", (w + 2, h + 2))
    padded.paste(b, (1, 1))
    # Edges: each border pixel repeats outward so that it is its own neighbour.
    padded.paste(b.crop((0, 0, w, 1)), (1, 0))
    padded.paste(b.crop((0, h - 1, w, h)), (1, h + 1))
    padded.paste(padded.crop((1, 0, 2, h + 2)), (0, 0))
    padded.paste(padded.crop((w, 0, w + 1, h + 2)), (w + 1, 0))
    nearest = None
    for dy in (0, 1, 2):
        for dx in (0, 1, 2):
            shifted = padded.crop((dx, dy, dx + w, dy + h))
            r, g, bl = ImageChops.difference(a, shifted).split()
            distance = ImageChops.lighter(ImageChops.lighter(r, g), bl)
            nearest = distance if nearest is None else ImageChops.darker(nearest, distance)
    return nearest.point(lambda v: 255 if v > COLOUR_TOLERANCE else 0).convert("1")


def busiest_square(mask):
    """The largest number of set pixels in any SQUARE x SQUARE square whose
    corner lies on a grid of half a square (so no cluster hides across a
    border)."""
    w, h = mask.size
    data = mask.convert("L").load()
    points = [(x, y) for y in range(h) for x in range(w) if data[x, y]]
    best = 0
    step = SQUARE // 2
    counts = {}
    for x, y in points:
        for cx in (x // step, x // step - 1):
            for cy in (y // step, y // step - 1):
                counts[cx, cy] = counts.get((cx, cy), 0) + 1
    if counts:
        best = max(counts.values())
    return best


def bitmap_difference(committed, generated):
    """None when the two bitmaps show the same picture, else why not."""
    if header_bytes(committed) != header_bytes(generated):
        return "headers or colour table differ"
    a = Image.open(committed).convert("RGB")
    b = Image.open(generated).convert("RGB")
    worst = max(busiest_square(unexplained(a, b)), busiest_square(unexplained(b, a)))
    if worst > CHANGED_PER_SQUARE:
        return f"{worst} changed pixels in one {SQUARE}x{SQUARE} square"
    return None


def art_files(folder):
    found = []
    for where, _dirs, files in os.walk(folder):
        for name in files:
            if name.endswith(ART_FILES):
                found.append(os.path.relpath(os.path.join(where, name), folder))
    return sorted(found)


def differences(committed_folder, generated_folder):
    """[(file, why)] for every file that is missing, extra or changed."""
    committed, generated = art_files(committed_folder), art_files(generated_folder)
    problems = [(f, "not generated") for f in committed if f not in generated]
    problems += [(f, "generated but not committed") for f in generated if f not in committed]
    for name in committed:
        if name not in generated:
            continue
        a = os.path.join(committed_folder, name)
        b = os.path.join(generated_folder, name)
        if name.endswith(".bmp"):
            why = bitmap_difference(a, b)
        else:
            with open(a, "rb") as fa, open(b, "rb") as fb:
                why = None if fa.read() == fb.read() else "bytes differ"
        if why:
            problems.append((name, why))
    return problems


def main(argv):
    if len(argv) != 2:
        raise SystemExit(__doc__)
    problems = differences(*argv)
    for name, why in problems:
        print(f"{name}: {why}")
    if problems:
        return 1
    print(f"{len(art_files(argv[0]))} committed art files match the generator")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
