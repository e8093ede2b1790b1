#!/usr/bin/python3
"""How the cost of drawing a menu's pictures grows with its buttons: the
kit's own layout and drawing for 1 to 50 install buttons in one language
(past 9 the kit refuses a drawn menu, which would not fit the screen; the
drawing is measured all the same),
the median of three runs each. Prints milliseconds per disc and per button;
nothing here is a test. The section "drawing" of bench/run, or on its own:
    bench/measure/drawing_cost.py [count ...]    (default 1 5 10 25 50)"""
import statistics
import sys
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent.parent
sys.path.insert(0, str(REPO))
from authoring import drawing  # noqa: E402
from authoring import layout  # noqa: E402
from authoring.reader import read_disc  # noqa: E402

HEAD = '''[product]
name = "Cost"
[[language]]
key = "en"
primary_id = 9
[[component]]
id = "app"
folder = "app"
title = "App Setup"
[[button]]
kind = "exit"
label = "Exit"
'''
BUTTON = '''[[button]]
label = "Install part {n}"
sublabel = "The {n}th part of the product"
confirmation = "Installing part {n}."
steps = [ {{ component = "app" }} ]
'''


def cost(count):
    with tempfile.TemporaryDirectory() as tmp:
        manifest = Path(tmp) / "cost" / "disc.toml"
        manifest.parent.mkdir()
        manifest.write_text(HEAD + "".join(BUTTON.format(n=n) for n in range(count)), encoding="utf-8")
        disc, problems = read_disc(manifest)
        if problems:
            sys.exit(problems.report(manifest))
        layout.plan(disc, problems)
        times = []
        for run in range(3):
            disc.pictures_folder = Path(tmp) / f"pictures{run}"
            start = time.perf_counter()
            drawing.ensure_drawn(disc, disc.languages[0])
            times.append((time.perf_counter() - start) * 1000)
        return statistics.median(times), disc.menu_size


def measure(counts=(1, 5, 10, 25, 50)):
    print("== 7. The cost of drawing a menu, by its install buttons")
    print(f"{'buttons':>8}{'menu':>12}{'ms':>10}{'ms/button':>11}")
    for count in counts:
        ms, (w, h) = cost(count)
        print(f"{count:>8}{f'{w}x{h}':>12}{ms:>10.0f}{ms / (count + 1):>11.1f}", flush=True)


if __name__ == "__main__":
    measure([int(a) for a in sys.argv[1:]] or (1, 5, 10, 25, 50))
