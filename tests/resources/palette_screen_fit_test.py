"""The shipped palette on a 256-colour Windows screen: the screen keeps 20
entries for its static colours and gives a foreground palette the other 236,
so a palette whose own colours (those that are not static) number at most
236 gets every one of them, and the pictures drawn with it show exactly.

Run as: python3 -m unittest palette_screen_fit_test (RESOURCES names the
launcher's resource folder)."""
import os
import struct
import unittest

RESOURCES = os.environ.get("RESOURCES", os.path.join(os.path.dirname(__file__), "..", "..",
                                                     "launcher", "resources"))

# The static colours of a 256-colour Windows screen, entries 0-9 and 246-255.
STATIC = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0xC0, 0xDC, 0xC0), (0xA6, 0xCA, 0xF0), (0xFF, 0xFB, 0xF0), (0xA0, 0xA0, 0xA4),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
FREE_ENTRIES = 236


def palette():
    with open(os.path.join(RESOURCES, "palette.bin"), "rb") as f:
        data = f.read()
    return [tuple(data[i:i + 3]) for i in range(0, len(data), 3)]


def bitmap_colours(path):
    """The colours a packed-file 8-bit BMP's pixels use."""
    with open(path, "rb") as f:
        data = f.read()
    offset = struct.unpack_from("<I", data, 10)[0]
    size, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
    table = [(data[14 + size + 4 * i + 2], data[14 + size + 4 * i + 1], data[14 + size + 4 * i])
             for i in range(256)]
    row = (width * bits + 31) // 32 * 4
    used = set()
    for y in range(abs(height)):
        used.update(table[i] for i in data[offset + y * row:offset + y * row + width])
    return used


class PaletteOnA256ColourScreen(unittest.TestCase):
    def test_own_colours_fit_the_free_entries(self):
        own = {c for c in palette() if c not in STATIC}
        self.assertLessEqual(len(own), FREE_ENTRIES)

    def test_every_colour_of_every_picture_gets_an_entry(self):
        # Realized in palette order, the first 236 own colours take the free
        # entries; a colour after them would be shown as its nearest.
        realized, own = set(STATIC), []
        for c in palette():
            if c not in realized and c not in own:
                own.append(c)
        realized.update(own[:FREE_ENTRIES])
        folder = os.path.join(RESOURCES, "bitmaps")
        for name in sorted(os.listdir(folder)):
            with self.subTest(bitmap=name):
                missing = bitmap_colours(os.path.join(folder, name)) - realized
                self.assertEqual(set(), missing)


if __name__ == "__main__":
    unittest.main()
