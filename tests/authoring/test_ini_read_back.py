"""The titles the kit writes into Tarrywin.INI (and the stand-in's
standin.ini) come back exactly through GetPrivateProfileStringA under Wine,
with the waiter's 4096-byte buffer: blanks around a title, quotes around
it, the longest titles, double-byte titles.

    KIT_INI_READBACK=<build>/tests/ini_readback.exe
"""
import os
import tempfile
import unittest
from pathlib import Path

from authoring import disc_folder
from tests.authoring import wine

# (title, code page, locale)
TITLES = [
    ("App Setup", 1252, "en_US.UTF-8"),
    (" App Setup", 1252, "en_US.UTF-8"),
    ("App Setup  ", 1252, "en_US.UTF-8"),
    ("\tApp\t", 1252, "en_US.UTF-8"),
    ('"App Setup"', 1252, "en_US.UTF-8"),
    ("'App Setup'", 1252, "en_US.UTF-8"),
    ('"App Setup', 1252, "en_US.UTF-8"),
    ('Setup of "App"', 1252, "en_US.UTF-8"),
    ('" App "', 1252, "en_US.UTF-8"),
    ("a;b=c [d]", 1252, "en_US.UTF-8"),
    ("; App", 1252, "en_US.UTF-8"),
    ("\u00a0App\u00a0", 1252, "en_US.UTF-8"),
    ("Instalación & Co.", 1252, "en_US.UTF-8"),
    ("x" * 4095, 1252, "en_US.UTF-8"),
    (" " + "x" * 4093, 1252, "en_US.UTF-8"),
    ("Orbit セットアップ", 932, "ja_JP.UTF-8"),
    ("\u3000セットアップ\u3000", 932, "ja_JP.UTF-8"),
    ("表" * 100, 932, "ja_JP.UTF-8"),        # second bytes 0x5C
]


class IniReadBack(unittest.TestCase):
    def read_back(self, files, section, key, locale):
        result = wine.run(os.environ["KIT_INI_READBACK"],
                          [section, key] + [wine.windows_path(f) for f in files], locale)
        self.assertEqual(result.returncode, 0, result.stderr)
        lines = result.stdout.decode().replace("\r", "").split("\n")
        self.assertGreaterEqual(len(lines), len(files), result.stdout)
        return [bytes.fromhex(line) for line in lines[:len(files)]]

    def test_every_title_comes_back_exactly(self):
        by_locale = {}
        for title, cp, locale in TITLES:
            by_locale.setdefault(locale, []).append((title, cp))
        with tempfile.TemporaryDirectory() as tmp:
            template = Path(tmp) / "template.ini"
            template.write_text("[standin]\nmode=child\n")
            for locale, titles in by_locale.items():
                waiter_files, standin_files = [], []
                for i, (title, cp) in enumerate(titles):
                    waiter_files.append(Path(tmp) / f"{locale}-{i}-Tarrywin.INI")
                    waiter_files[-1].write_bytes(disc_folder.tarrywin_ini(title, cp))
                    standin_files.append(Path(tmp) / f"{locale}-{i}-standin.ini")
                    standin_files[-1].write_bytes(disc_folder.standin_ini(template, title, cp))
                waiter = self.read_back(waiter_files, "CHECK", "STRING", locale)
                standin = self.read_back(standin_files, "standin", "title", locale)
                for (title, cp), got, got_standin in zip(titles, waiter, standin):
                    with self.subTest(title=title[:30], length=len(title)):
                        self.assertEqual(got, title.encode(f"cp{cp}"))
                        self.assertEqual(got_standin, title.encode(f"cp{cp}"))

    def test_written_plainly_where_nothing_would_change(self):
        self.assertEqual(disc_folder.tarrywin_ini("App Setup", 1252), b"[CHECK]\r\nSTRING=App Setup\r\n")


if __name__ == "__main__":
    unittest.main()
