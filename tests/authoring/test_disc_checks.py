"""Everything on the disc is checked before anything is written: each case
changes the valid sample (its manifest and files), and make-disc refuses it
with the key that brings the name or text there, writing nothing."""
import io
import tempfile
import unittest
from contextlib import redirect_stderr
from pathlib import Path

from authoring import disc_folder, disc_names
from authoring.make_disc import main
from tests.authoring.sample import MANIFEST, SampleDisc

INSTALLER = ('id = "app"', 'id = "app"\ninstaller = "inst"')

CASES = [
    # (what, [(replace, with)], {file under the sample: bytes}, key, words)
    ("copied name outside a copying language's code page", [], {"files/manuals/mapa_łódź.txt": b"x"},
     "button[2].steps[2].copy", "mapa_łódź.txt', which code page 1252 (en, Spanish) cannot write"),
    ("label outside its code page", [('es = "Salir"', 'es = "Salir ł"')], {},
     "button[1].label.es", "code page 1252 (Spanish): 'ł'"),
    ("sublabel outside its code page", [('label = { en = "Install App"',
                                         'sublabel = { en = "All", es = "Łódź" }\nlabel = { en = "Install App"')], {},
     "button[2].sublabel.es", "code page 1252 (Spanish): 'Ł'"),
    ("menu title outside its code page", [('key = "es"', 'key = "es"\ntitle = "Łódź"')], {},
     "language[2].title", "code page 1252"),
    ("language name outside its code page", [('name = "Spanish"', 'name = "Łacina"')], {},
     "language[2].name", "code page 1252"),
    ("footer outside its code page", [('key = "es"', 'key = "es"\nfooter = "Łódź"')], {},
     "language[2].footer", "code page 1252"),
    ("device name with an extension", [], {"files/manuals/aux.h": b"x"},
     "disc.files", "manuals\\aux.h in disc.files: 'aux.h' is a device name"),
    ("device name alone", [], {"files/nul": b"x"}, "disc.files", "'nul' is a device name"),
    ("device name as a folder", [], {"files/manuals/LPT1/a.txt": b"x"}, "disc.files", "'LPT1' is a device name"),
    ("device name in an installer", [INSTALLER], {"inst/setup.exe": b"x", "inst/com1.txt": b"x"},
     "component[1].installer", "'com1.txt' is a device name"),
    ("device name in a component folder", [('es = "app\\\\espanol"', 'es = "app\\\\con"')], {},
     "component[1].folder.es", "'con' is a device name"),
    ("device name in a copy destination", [('to = "App\\\\Manuals"', 'to = "App\\\\Prn.txt"')], {},
     "button[2].steps[2].to", "'Prn.txt' is a device name"),
    ("a file beside the kit's SETUP.EXE", [], {"files/setup.exe": b"x"},
     "disc.files", "the launcher SETUP.EXE that the kit writes (disc) is the same name but for letter case"),
    ("two files equal but for case", [], {"files/manuals/Guide.txt": b"x"},
     "disc.files", "is the same name but for letter case"),
    ("a file where the kit writes the waiter", [], {"files/app/english/Tarrywin.exe": b"x"},
     "disc.files", "is there already under the same name"),
    ("component folders equal but for case", [('en = "app\\\\english"', 'en = "App\\\\english"')], {},
     "component[1].folder", "is the same name but for letter case"),
    ("a files folder beside a component folder of another case", [], {"files/APP/readme.txt": b"x"},
     "disc.files", "is the same name but for letter case"),
    ("component folder inside a copied tree", [('{ copy = "manuals"', '{ copy = "app"')], {},
     "button[2].steps[2].copy", "holds component app's folder 'app\\\\english' (component[1].folder.en)"),
    ("installer with its own Tarrywin.INI", [INSTALLER], {"inst/setup.exe": b"x", "inst/TARRYWIN.ini": b"x"},
     "component[1].installer", "holds its own TARRYWIN.ini"),
    ("installer with its own waiter", [INSTALLER], {"inst/setup.exe": b"x", "inst/Tarrywin.exe": b"x"},
     "component[1].installer", "holds its own Tarrywin.exe"),
    ("one folder for two titles", [('es = "app\\\\espanol"', 'es = "app\\\\english"')], {},
     "component[1].folder.es", "also the folder of component app in language en"),
    ("title with a line break", [('es = "Instalación de App"', 'es = "Instalación\\nde App"')], {},
     "component[1].title.es", "holds line breaks"),
]


def build(sample, out):
    errors = io.StringIO()
    with redirect_stderr(errors):
        code = main([str(sample.manifest), "--build-dir", str(out)])
    return code, errors.getvalue()


class RefusedAtBuildTime(unittest.TestCase):
    def test_each_case_names_key_and_file_and_writes_nothing(self):
        for what, edits, files, key, words in CASES:
            with self.subTest(what):
                text = MANIFEST
                for old, new in edits:
                    self.assertIn(old, text)
                    text = text.replace(old, new, 1)
                with SampleDisc(text) as sample, tempfile.TemporaryDirectory() as tmp:
                    for name, data in files.items():
                        (sample.root / name).parent.mkdir(parents=True, exist_ok=True)
                        (sample.root / name).write_bytes(data)
                    out = Path(tmp) / "build"
                    code, report = build(sample, out)
                    self.assertEqual(code, 1, report)
                    lines = [line for line in report.splitlines() if f" {key}" in line]
                    self.assertTrue(any(words in line for line in lines), report)
                    self.assertIn("nothing was written", report)
                    self.assertFalse(out.exists())
                    self.assertFalse((sample.root / "pictures").exists())

    def test_what_stays_allowed(self):
        # (what, [(replace, with)], files)
        for what, edits, files in (
                ("an author's own AUTORUN.INF", [], {"files/autorun.inf": b"[autorun]\r\n"}),
                ("a files folder that a component folder fills too", [], {"files/app/readme.txt": b"x"}),
                ("one folder for every language with one title",
                 [('es = "app\\\\espanol"', 'es = "app\\\\english"'), ('es = "Instalación de App"', 'es = "App Setup"')],
                 {}),
                ("names in every copying language's code page", [], {"files/manuals/guía.txt": b"x"}),
                ("a device name only inside a longer name", [], {"files/manuals/console.txt": b"x",
                                                                  "files/manuals/com10": b"x"}),
                ("a title that must be quoted", [('en = "App Setup"', 'en = " App Setup "')], {}),
                ("a title in quotes", [('en = "App Setup"', """en = '"App Setup"'""")], {})):
            with self.subTest(what):
                text = MANIFEST
                for old, new in edits:
                    text = text.replace(old, new, 1)
                with SampleDisc(text) as sample:
                    for name, data in files.items():
                        (sample.root / name).parent.mkdir(parents=True, exist_ok=True)
                        (sample.root / name).write_bytes(data)
                    from authoring.build import load
                    disc, report = load(sample.manifest)
                    self.assertIsNone(report)


class SmallFunctions(unittest.TestCase):
    def test_device_names(self):
        for name, device in (("con", True), ("CON.txt", True), ("aux.tar.gz", True), ("nul ", True),
                             ("com1", True), ("LPT9.log", True), ("com0", False), ("com10", False),
                             ("console", False), ("auxiliary.h", False), ("x.con", False)):
            with self.subTest(name):
                self.assertEqual(disc_names.is_device(name), device)

    def test_ini_values(self):
        for title, written in (("App Setup", "App Setup"), (" App", '" App"'), ("App\t", '"App\t"'),
                               ('"App"', '""App""'), ("'App'", "\"'App'\""), ('"App', '"App'),
                               ('a "b" c', 'a "b" c'), ('"', '"'), ("a;b=c", "a;b=c"),
                               ("\u3000App", '"\u3000App"')):
            with self.subTest(title):
                self.assertEqual(disc_folder.ini_value(title), written)
        with self.assertRaises(ValueError):
            disc_folder.ini_value("a\nb")


if __name__ == "__main__":
    unittest.main()
