"""The disc check's own rules that need no disc: how the plain ISO 9660
tree names a path (as xorriso writes it)."""
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_disc import plain_name  # noqa: E402


class PlainName(unittest.TestCase):
    def test_cases(self):
        cases = [
            ("alpha/en/Tarrywin.INI", "ALPHA/EN/TARRYWIN.INI"),
            ("AUTORUN.INF", "AUTORUN.INF"),
            ("ガンマ/ja/setup.exe", "___/JA/SETUP.EXE"),
        ]
        for path, plain in cases:
            with self.subTest(path=path):
                self.assertEqual(plain, plain_name(path))


if __name__ == "__main__":
    unittest.main()
