"""Each mistake an author can make, as a change to a valid manifest, and the
key and words of the message it gets."""
import io
import tempfile
import unittest
from contextlib import redirect_stderr
from pathlib import Path

from PIL import Image

from authoring.build import load
from authoring.make_disc import main
from tests.authoring.sample import MANIFEST, SampleDisc

STEPS = 'steps = [ { component = "app" }, { copy = "manuals", to = "App\\\\Manuals" } ]'

# Both languages' bases given, and overlapping.
OVERLAP = ('dialog_base = 100\nscript_base = 1000\n\n[[language]]\nkey = "es"\n'
           'dialog_base = 150\nscript_base = 1000')

CASES = [
    # (what, replace, with, key, words)
    ("run source missing", STEPS, 'steps = [ { run = "tools\\\\x.exe" } ]',
     "button[2].steps[1].run", "is not a file on the disc"),
    ("copy source missing", '{ copy = "manuals"', '{ copy = "manual"',
     "button[2].steps[2].copy", "is not on the disc"),
    ("copy source misspelt, nearest named", '{ copy = "manuals"', '{ copy = "manual"',
     "button[2].steps[2].copy", "did you mean 'manuals'?"),
    ("confirmation outside the code page", 'en = "Installing App."', 'en = "Installing 日本."',
     "button[2].confirmation.en", "code page 1252 (en): '日', '本';"),
    ("window title outside the code page", 'en = "App Setup"', 'en = "App Ω Setup"',
     "component[1].title.en", "Tarrywin.INI is written in it"),
    ("message outside the code page", 'copy_failed = "Se produjo', 'copy_failed = "Ω Se produjo',
     "language[2].messages.copy_failed", "code page 1252"),
    ("command string too long", 'to = "App\\\\Manuals"', 'to = "' + "x" * 1100 + '"',
     "button[2].steps[2]", "longer than 1023 bytes"),
    ("copy destination outside the code page", 'to = "App\\\\Manuals"', 'to = "App\\\\日本"',
     "button[2].steps[2]", "cannot be written in code page 1252"),
    ("a ';' in a field", 'to = "App\\\\Manuals"', 'to = "App;Manuals"',
     "button[2].steps[2]", "holds ';'"),
    ("shared primary id", "primary_id = 10", "primary_id = 9",
     "language[2].primary_id", "also the id of language en"),
    ("overlapping dialog ids", '[[language]]\nkey = "es"', OVERLAP,
     "language[2].dialog_base", "overlaps language en's ids 100 to 199"),
    ("overlapping script ids", '[[language]]\nkey = "es"', OVERLAP,
     "language[2].script_base", "overlap language en's 1000 to 1000"),
    ("confirmation missing in a language", ', es = "Instalando App."', "",
     "button[2].confirmation.es", "missing for language es"),
    ("install button without confirmation", 'confirmation = { en = "Installing App.", es = "Instalando App." }\n', "",
     "button[2].confirmation", "missing"),
    ("empty component title", 'es = "Instalación de App"', 'es = ""',
     "component[1].title.es", "is empty"),
    ("bad disc folder name", 'es = "app\\\\espanol"', 'es = "app\\\\esp?nol"',
     "component[1].folder.es", "which disc names cannot hold"),
    ("folder name too long for Joliet", 'es = "app\\\\espanol"', 'es = "app\\\\' + "e" * 70 + '"',
     "component[1].folder.es", "64 characters"),
    ("invalid volume id", 'volume_id = "SAMPLE_DISC"', 'volume_id = "sample disc"',
     "disc.volume_id", "A-Z, 0-9 and _"),
    ("unknown component", '{ component = "app" }', '{ component = "ap" }',
     "button[2].steps[1].component", "no [[component]] has id 'ap'"),
    ("first button installs", 'kind = "exit"', 'kind = "install"',
     "button[1].kind", "button 1 is the exit button"),
    ("two kinds in one step", '{ component = "app" }', '{ component = "app", run = "x.exe" }',
     "button[2].steps[1]", "exactly one of"),
    ("same window title twice", 'es = "Instalación de App" }', 'es = "Instalación de App" }\n'
     '[[component]]\nid = "b"\nfolder = { en = "b\\\\en", es = "b\\\\es" }\n'
     'title = { en = "App Setup", es = "B" }', "component[2].title.en", "a waiter would end"),
    ("two components in one folder", 'es = "Instalación de App" }', 'es = "Instalación de App" }\n'
     '[[component]]\nid = "b"\nfolder = { en = "app\\\\english", es = "b\\\\es" }\n'
     'title = { en = "B Setup", es = "B" }', "component[2].folder.en", "also component app's folder"),
    ("not TOML", "[product]", "[product", "manifest", "is not valid TOML"),
    ("unknown table", "[product]", "[produkt]\nname = 'x'\n[product]", "produkt", "unknown table"),
    ("missing file folder", 'files = "files"', 'files = "filez"', "disc.files", "does not exist"),
    ("unknown code page", 'key = "es"', 'key = "es"\ncode_page = 99999', "language[2].code_page",
     "not a code page the kit knows"),
    ("bad version", 'version = "1.2"', 'version = "one"', "product.version", "is not a version"),
    ("installer folder without setup.exe", 'id = "app"', 'id = "app"\ninstaller = "files"',
     "component[1].installer", "holds no setup.exe"),
    ("installer file that is not setup.exe", 'id = "app"', 'id = "app"\ninstaller = "files/manuals/guide.txt"',
     "component[1].installer", "must be the installer's setup.exe, the folder holding it, or an NSIS script"),
    ("walkthrough neither fail nor skip", 'id = "app"', 'id = "app"\nwalkthrough = "ignore"',
     "component[1].walkthrough", "'ignore' is not a choice; give \"fail\""),
    ("installer by language without one language", 'id = "app"', 'id = "app"\ninstaller = { en = "files" }',
     "component[1].installer.es", "missing for language es"),
    ("installer by language without setup.exe", 'id = "app"',
     'id = "app"\ninstaller = { en = "files", es = "files/manuals" }',
     "component[1].installer.es", "holds no setup.exe"),
    ("folder too deep for ISO 9660", 'es = "app\\\\espanol"', 'es = "a\\\\b\\\\c\\\\d\\\\e\\\\f\\\\g\\\\h"',
     "component[1].folder.es", "deeper than the 7 folder levels"),
    ("a misspelt key", 'label = { en = "Install App"', 'lable = { en = "x" }\nlabel = { en = "Install App"',
     "button[2].lable", "unknown key; did you mean label?"),
    ("a misspelt message", 'launch_failed = "No se', 'lanch_failed = "x"\nlaunch_failed = "No se',
     "language[2].messages.lanch_failed", "did you mean launch_failed?"),
    ("missing emblem", 'kind = "exit"', 'kind = "exit"\nemblem = "exit.png"', "button[1].emblem", "does not exist"),
]


# The sample's second language made one the kit has no texts for.
UNKNOWN_LANGUAGE = MANIFEST.replace('name = "Spanish"\nprimary_id = 10',
                                    'name = "Icelandic"\nprimary_id = 15\ncode_page = 1252\n'
                                    'locale = "is_IS.UTF-8"')

UNKNOWN_LANGUAGE_CASES = [
    ("new language without its texts", 'copy_failed = "Se produjo un error al copiar los archivos."', "",
     "language[2]", "give messages.copy_failed"),
    ("new language without captions", 'caption = "Instalación"\nok = "Aceptar"\n', "",
     "language[2]", "give caption, ok"),
    ("new language without code page", 'code_page = 1252\n', "",
     "language[2].code_page", "missing; add the language's ANSI code page"),
    ("new language without locale", 'locale = "is_IS.UTF-8"', "",
     "language[2].locale", "missing; add the Linux locale"),
]


def assert_refused(test, base, cases):
    for what, old, new, key, words in cases:
        with test.subTest(what):
            test.assertIn(old, base)
            with SampleDisc(base.replace(old, new, 1)) as sample:
                disc, report = load(sample.manifest)
                test.assertIsNone(disc)
                lines = [line for line in report.splitlines() if f" {key}: " in line]
                test.assertTrue(lines, f"no message for {key} in:\n{report}")
                test.assertTrue(any(words in line for line in lines), report)


# English in code page 932, which writes the user-defined characters from
# U+E000 on: one of them is a character no font draws.
JAPANESE_CODE_PAGE = MANIFEST.replace('primary_id = 9\n', 'primary_id = 9\ncode_page = 932\n', 1)
FONT_CASES = [
    ("label no font draws", 'label = { en = "Install App"', 'label = { en = "Install \uE000"',
     "button[2].label.en", "no font on this machine draws"),
]


class ValidationMessages(unittest.TestCase):
    def test_each_mistake_names_its_key(self):
        assert_refused(self, MANIFEST, CASES)

    def test_a_text_no_font_draws(self):
        assert_refused(self, JAPANESE_CODE_PAGE, FONT_CASES)

    def test_a_language_without_built_in_texts_must_give_them(self):
        assert_refused(self, UNKNOWN_LANGUAGE, UNKNOWN_LANGUAGE_CASES)

    def test_the_valid_sample_has_no_message(self):
        with SampleDisc() as sample:
            self.assertEqual(load(sample.manifest), (load(sample.manifest)[0], None))

    def test_messages_carry_the_line(self):
        with SampleDisc(MANIFEST.replace('es = "Instalación de App"', 'es = ""')) as sample:
            _, report = load(sample.manifest)
            line = MANIFEST.splitlines().index(
                'title = { en = "App Setup", es = "Instalación de App" }') + 1
            self.assertIn(f"disc.toml:{line}: component[1].title.es: is empty", report)

    def test_all_mistakes_are_listed_and_nothing_is_written(self):
        text = MANIFEST.replace("primary_id = 10", "primary_id = 9").replace(
            'volume_id = "SAMPLE_DISC"', 'volume_id = "x y"')
        with SampleDisc(text) as sample, tempfile.TemporaryDirectory() as out:
            build = Path(out) / "build"
            errors = io.StringIO()
            with redirect_stderr(errors):
                code = main([str(sample.manifest), "--build-dir", str(build)])
            self.assertEqual(code, 1)
            self.assertIn("language[2].primary_id", errors.getvalue())
            self.assertIn("disc.volume_id", errors.getvalue())
            self.assertIn("nothing was written", errors.getvalue())
            self.assertFalse(build.exists())
            self.assertFalse((sample.root / "pictures").exists())


# Values of the wrong type or shape anywhere: a message, never a crash.
WRONG_TYPES = [
    ('primary_id = 10', 'primary_id = "10"'),
    ('primary_id = 10', 'primary_id = true'),
    ('[[component]]', 'component = 3\n[[x]]'),
    ('folder = { en = "app\\\\english", es = "app\\\\espanol" }', 'folder = 7'),
    ('folder = { en = "app\\\\english", es = "app\\\\espanol" }', 'folder = { en = 1, es = [] }'),
    ('steps = [', 'steps = [ 5, "x", [], '),
    ('steps = [', 'confirmation_geometry = { en = { size = "x", ok = [1], cancel = [1, 2], text = [] } }\nsteps = ['),
    ('steps = [', 'x = "left"\ny = 3\nsteps = ['),
    ('kind = "exit"', 'kind = 1'),
    ('[language.messages]', '[language.messages]\nextra = 1'),
    ('nt_required = "Esta', 'nt_required = 5\nxx = "Esta'),
    ('[disc]', 'disc = 1\n[discx]'),
    ('version = "1.2"', 'version = 1.2'),
    ('key = "es"', 'key = "es"\nmenu_dialog = [1]'),
    ('key = "es"', 'key = "es"\ndialog_base = -5'),
]


class WrongTypes(unittest.TestCase):
    def test_each_gets_a_message(self):
        for old, new in WRONG_TYPES:
            with self.subTest(new):
                self.assertIn(old, MANIFEST)
                with SampleDisc(MANIFEST.replace(old, new, 1)) as sample:
                    disc, report = load(sample.manifest)
                    self.assertIsNone(disc)
                    self.assertTrue(report.strip())


class AuthorPictures(unittest.TestCase):
    """The author's own pictures are checked against the button record."""

    def manifest(self, root, background, exit_picture, install_picture):
        Image.new("RGB", background, "blue").save(root / "bg.png")
        Image.new("RGB", exit_picture, "red").save(root / "exit.png")
        Image.new("RGB", install_picture, "green").save(root / "install.png")
        return (MANIFEST.replace('primary_id = 9\n', 'primary_id = 9\nbackground = "bg.png"\n')
                .replace('primary_id = 10\n', 'primary_id = 10\nbackground = "bg.png"\n')
                .replace('kind = "exit"', 'kind = "exit"\nx = 300\ny = 200\npicture = "exit.png"')
                .replace('label = { en = "Install App"', 'x = 20\ny = 40\npicture = "install.png"\nlabel = { en = "Install App"'))

    def check(self, sizes):
        with SampleDisc() as sample:
            sample.manifest.write_text(self.manifest(sample.root, *sizes), encoding="utf-8")
            return load(sample.manifest)

    def test_pictures_that_fit(self):
        disc, report = self.check(((488, 242), (95, 64), (300, 92)))
        self.assertIsNone(report)
        self.assertEqual(disc.button_sizes, {1: (95, 32), 2: (300, 46)})

    def test_size_cases(self):
        for sizes, key, words in (
                (((488, 242), (200, 64), (300, 92)), "button[1].picture.en", "does not fit the 488 x 242 background"),
                (((488, 242), (95, 65), (300, 92)), "button[1].picture.en", "the height must be even")):
            with self.subTest(words):
                disc, report = self.check(sizes)
                self.assertIsNone(disc)
                self.assertIn(f" {key}: ", report)
                self.assertIn(words, report)


if __name__ == "__main__":
    unittest.main()
