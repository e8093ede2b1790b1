"""The disc check's own rules that need no disc: pairing the plain ISO 9660
tree that xorriso writes with the Joliet tree, and that same check on real
images made by xorriso from folders with long names."""
import os
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
from authoring.walkthrough.layout_check import iso_tree, pair_trees  # noqa: E402


class PairTrees(unittest.TestCase):
    def test_cases(self):
        joliet = {"setup_extras/mapa_lodz.txt": (33, 3), "setup_extras/mapa_lodzX.txt": (34, 4),
                  "AUTORUN.INF": (35, 9), "empty": (32, 0), "only_empty/x": (32, 0)}
        plain = {"SETUP_EX/MAPA_LO0.TXT;1": (33, 3), "SETUP_EX/MAPA_LO1.TXT;1": (34, 4),
                 "AUTORUN.INF;1": (35, 9), "EMPTY.;1": (32, 0), "ONLY_EMP/X.;1": (32, 0)}
        cases = [
            ("long names, shortened and numbered", joliet, plain, []),
            ("a file missing from the plain tree", joliet,
             {k: v for k, v in plain.items() if k != "AUTORUN.INF;1"}, ["AUTORUN.INF"]),
            ("one folder's files in two folders", joliet,
             {**{k: v for k, v in plain.items() if "LO1" not in k}, "OTHER/MAPA_LO1.TXT;1": (34, 4)},
             ["lie in"]),
            ("a name that is not 8.3", joliet,
             {**{k: v for k, v in plain.items() if k != "AUTORUN.INF;1"}, "AUTORUN.INFO;1": (35, 9)},
             ["not 8.3"]),
            ("an empty file too few", joliet,
             {k: v for k, v in plain.items() if k != "EMPTY.;1"}, ["empty files"]),
        ]
        for name, long_tree, short_tree, expected in cases:
            with self.subTest(name):
                found = pair_trees(long_tree, short_tree)
                self.assertEqual(len(expected), len(found), found)
                for text, problem in zip(expected, found):
                    self.assertIn(text, problem)


class RealImage(unittest.TestCase):
    def test_long_names_pass(self):
        with tempfile.TemporaryDirectory() as scratch:
            disc = os.path.join(scratch, "disc")
            files = {"setup_extras/mapa_lodz.txt": "a", "setup_extras/mapa_lodzX.txt": "bb",
                     "Orbit Notes Manuals/Chapter one of the manual.text": "ccc",
                     "setup_extras/nested folder with spaces/readme": "", "AUTORUN.INF": "x"}
            for name, text in files.items():
                os.makedirs(os.path.dirname(os.path.join(disc, name)), exist_ok=True)
                with open(os.path.join(disc, name), "w") as f:
                    f.write(text)
            iso = os.path.join(scratch, "disc.iso")
            subprocess.run(["xorriso", "-as", "mkisofs", "-quiet", "-J", "-r", "-V", "T", "-o", iso,
                            disc], check=True, capture_output=True)
            joliet, _ = iso_tree(iso, "norock")
            plain, _ = iso_tree(iso, "ecma119", "-ecma119_map", "unmapped")
            self.assertEqual(set(files), set(joliet))
            self.assertEqual(len(files), len(plain))
            self.assertEqual([], pair_trees(joliet, plain))


if __name__ == "__main__":
    unittest.main()
