#!/usr/bin/env python3
"""Runs check_pe.py with the Windows 95 import list on probe programs built
right and built wrong, and expects it to pass the first and name exactly what
is wrong with each of the others.

    check_pe_test.py check_pe.py windows95_imports.txt name=probe.exe ...
"""
import os
import struct
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2]))
from authoring.pe_image import DIRECTORY_IMPORT, PeImage  # noqa: E402

CHECK, IMPORTS = sys.argv[1], sys.argv[2]
PROBES = dict(arg.split("=", 1) for arg in sys.argv[3:])

# probe name: the problems check_pe.py must report ([] means it passes).
# A problem is matched by its text; every reported problem must be expected.
EXPECTED = {
    "windows95": [],
    "newer_import": ["imports kernel32.dll!GetFileAttributesExA, not on the Windows 95 list"],
    "i686": ["instruction newer than the i486: "],
    "subsystem_6": ["subsystem version above 4.0"],
    "by_ordinal": ["imports user32.dll!ordinal 1, not on the Windows 95 list"],
    "c_runtime": ["imports msvcrt.dll"],
}




def without_import_table(data):
    """The program with its import directory entry cleared, as a reader of
    the wrong layout would see it: a table with no imported function."""
    entry = PeImage(data).directory_entry_offset(DIRECTORY_IMPORT)
    data = bytearray(data)
    struct.pack_into("<II", data, entry, 0, 0)
    return bytes(data)


def with_import_names_cut(data):
    """The program cut off in the middle of its import names."""
    image = PeImage(data)
    return data[:image.offset(image.directory(DIRECTORY_IMPORT)[0]) + 8]


# Programs made from the right probe by damaging its file, and what
# check_pe.py must report for each: it never passes a program whose imports
# it could not read.
DAMAGED = {
    "no_import_table": (without_import_table, ["no imported function found"]),
    "import_names_cut": (with_import_names_cut, ["import table unreadable: "]),
}


def run_check(path):
    result = subprocess.run([sys.executable, CHECK, "--allowed", IMPORTS, path],
                            capture_output=True, text=True)
    lines = [line[len(path) + 2:] for line in result.stdout.splitlines()
             if line.startswith(path + ": ")]
    return result.returncode, lines


class CheckPeCatchesRegressions(unittest.TestCase):
    def test_each_probe(self):
        self.assertEqual(sorted(EXPECTED), sorted(PROBES))
        for name, expected in EXPECTED.items():
            with self.subTest(probe=name):
                code, lines = run_check(PROBES[name])
                if not expected:
                    self.assertEqual((0, ["ok"]), (code, lines))
                    continue
                self.assertEqual(1, code, lines)
                for problem in expected:
                    self.assertTrue(any(line.startswith(problem) for line in lines),
                                    f"{problem!r} not in {lines}")
                if name != "c_runtime":   # its C runtime start-up also imports much else
                    self.assertEqual(len(expected), len(lines), lines)

    def test_each_damaged_probe(self):
        with open(PROBES["windows95"], "rb") as f:
            right = f.read()
        with tempfile.TemporaryDirectory() as folder:
            for name, (damage, expected) in DAMAGED.items():
                with self.subTest(probe=name):
                    path = os.path.join(folder, name + ".exe")
                    with open(path, "wb") as f:
                        f.write(damage(right))
                    code, lines = run_check(path)
                    self.assertEqual(1, code, lines)
                    self.assertEqual(len(expected), len(lines), lines)
                    for problem in expected:
                        self.assertTrue(any(line.startswith(problem) for line in lines),
                                        f"{problem!r} not in {lines}")

    def test_i686_code_is_caught_by_its_conditional_move(self):
        code, lines = run_check(PROBES["i686"])
        self.assertTrue(any("cmov" in line for line in lines), lines)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
