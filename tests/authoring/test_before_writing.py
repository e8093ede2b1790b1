"""Mistakes that the kit used to find only while building, or not at all:
each is now listed with its key before anything is written."""
import io
import os
import shutil
import sys
import tempfile
import unittest
from contextlib import redirect_stderr, redirect_stdout
from pathlib import Path

from PIL import Image

from authoring.build import load
from authoring.make_disc import main
from tests.authoring.sample import MANIFEST, SampleDisc

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests" / "release"))
from throwaway_certificate import make_certificate  # noqa: E402


def exit_steps(text):
    return text.replace('kind = "exit"', 'kind = "exit"\nsteps = [ { copy = "manuals", to = "M" } ]')


def no_kind_steps(text):
    return text.replace('kind = "exit"', 'steps = [ { copy = "manuals", to = "M" } ]')


def signed(password_env="KIT_TEST_PASSWORD", certificate="cert.p12"):
    def change(text):
        return text + f'\n[signing]\ncertificate = "{certificate}"\npassword_env = "{password_env}"\n'
    return change


def with_emblem(name):
    return lambda text: text.replace('kind = "exit"', f'kind = "exit"\nemblem = "{name}"')


def with_icon(name):
    return lambda text: text.replace('files = "files"', f'files = "files"\nicon = "{name}"')


def put_files(**files):
    def prepare(root):
        for name, content in files.items():
            path = root / name
            path.parent.mkdir(parents=True, exist_ok=True)
            if isinstance(content, tuple) and content[0] == "link":
                path.symlink_to(content[1])
            elif isinstance(content, tuple) and content[0] == "image":
                Image.new("1", content[1]).save(path)
            elif isinstance(content, tuple) and content[0] == "certificate":
                shutil.copyfile(make_certificate(root / "certificate", "right")["p12"], path)
            else:
                path.write_bytes(content)
    return prepare


def nothing(root):
    pass


BMP = (REPO / "launcher" / "resources" / "bitmaps" / "en_exit.bmp").read_bytes()

# (what, change to the manifest, files to add, environment, key, words)
CASES = [
    ("a link out of the files folder", None, put_files(**{"files/passwd": ("link", "/etc/passwd")}), {},
     "disc.files", "leads out of the folder"),
    ("a link to nothing", None, put_files(**{"files/gone": ("link", "nowhere")}), {},
     "disc.files", "a link to nothing"),
    ("a link loop", None, put_files(**{"files/manuals/up": ("link", "..")}), {},
     "disc.files", "a link to a folder"),
    ("a link to a folder outside", None, put_files(**{"files/etc": ("link", "/etc")}), {},
     "disc.files", "leads out of the folder"),
    ("a certificate that is no certificate", signed(), put_files(**{"cert.p12": b"not one\n"}),
     {"KIT_TEST_PASSWORD": "x"}, "signing.certificate", "not a PKCS#12 certificate"),
    ("a wrong password", signed(), put_files(**{"cert.p12": ("certificate",)}),
     {"KIT_TEST_PASSWORD": "wrong"}, "signing.certificate", "does not open it"),
    ("an unset password variable", signed(), put_files(**{"cert.p12": ("certificate",)}),
     {"KIT_TEST_PASSWORD": None}, "signing.password_env", "which is not set"),
    ("no password variable", signed(password_env=""), put_files(**{"cert.p12": ("certificate",)}),
     {}, "signing.password_env", "names no environment variable"),
    ("a number as certificate", lambda t: t + "\n[signing]\ncertificate = 5\n", nothing, {},
     "signing.certificate", "must be a text"),
    ("an icon that is no icon", with_icon("bad.ico"), put_files(**{"bad.ico": b"text\n"}), {},
     "disc.icon", "not an icon file"),
    ("a device as emblem", with_emblem("/dev/zero"), nothing, {}, "button[1].emblem", "device or other special"),
    ("a folder as emblem", with_emblem("files"), nothing, {}, "button[1].emblem", "must be a file"),
    ("a truncated emblem", with_emblem("cut.bmp"), put_files(**{"cut.bmp": BMP[:300]}), {},
     "button[1].emblem", "cannot be read whole"),
    ("a text as emblem", with_emblem("e.png"), put_files(**{"e.png": b"text"}), {},
     "button[1].emblem", "not a picture"),
    ("a huge emblem", with_emblem("e.png"), put_files(**{"e.png": ("image", (20000, 20000))}), {},
     "button[1].emblem", "the most is 1024 x 1024"),
    ("a NUL in a path", with_emblem("a\\u0000b.png"), nothing, {}, "button[1].emblem", "holds a NUL"),
    ("a 300-character file name", with_emblem("n" * 300 + ".png"), nothing, {}, "button[1].emblem",
     "cannot be used"),
    ("a binary stand-in template", lambda t: t.replace('files = "files"', 'files = "files"\nstandin = "s.ini"'),
     put_files(**{"s.ini": b"\xff\xfe[standin]"}), {}, "disc.standin", "not text in UTF-8"),
    ("a line break in a sublabel", lambda t: t.replace('label = { en = "Install App"',
                                                       'sublabel = "one\\ntwo"\nlabel = { en = "Install App"'),
     nothing, {}, "button[2].sublabel.en", "line breaks"),
    ("a line break in a window title", lambda t: t.replace('en = "App Setup"', 'en = "App\\nSTRING=x"'),
     nothing, {}, "component[1].title.en", "line breaks"),
    ("an ESC in a caption", lambda t: t.replace('caption = "Instalación"', 'caption = "Insta\\u001Blación"'),
     nothing, {}, "language[2].caption", "U+001B"),
    ("a NUL in a command", lambda t: t.replace('to = "App\\\\Manuals"', 'to = "App\\u0000Manuals"'),
     nothing, {}, "button[2].steps[2].to", "U+0000"),
    ("a window title too long for the waiter", lambda t: t.replace('en = "App Setup"', 'en = "' + "T" * 4096 + '"'),
     nothing, {}, "component[1].title.en", "the waiter reads at most 4095"),
    ("a blank OK", lambda t: t.replace('ok = "Aceptar"', 'ok = " "'), nothing, {}, "language[2].ok", "is empty"),
    ("a blank message", lambda t: t.replace('launch_failed = "No se pudo iniciar el instalador."',
                                            'launch_failed = ""'), nothing, {},
     "language[2].messages.launch_failed", "is empty"),
    ("a sublanguage id out of range", lambda t: t.replace('key = "es"', 'key = "es"\nsublanguage_id = 99'),
     nothing, {}, "language[2].sublanguage_id", "0 to 63"),
    ("a menu dialog of no size", lambda t: t.replace('key = "es"', 'key = "es"\nmenu_dialog = [0, 0]'),
     nothing, {}, "language[2].menu_dialog", "1 to 32767"),
    ("a button beyond 16 bits", lambda t: t.replace('kind = "exit"', 'kind = "exit"\nx = 40000\ny = 5'),
     nothing, {}, "button[1].x", "0 to 32767"),
    ("a button off the drawn menu", lambda t: t.replace('kind = "exit"', 'kind = "exit"\nx = 600\ny = 5'),
     nothing, {}, "button[1]", "does not fit the 488 x"),
    ("two languages with one key", lambda t: t.replace('key = "es"', 'key = "en"'), nothing, {},
     "language[2].key", "also language[1]'s key"),
    ("two components with one id", lambda t: t + '\n[[component]]\nid = "app"\nfolder = "b"\ntitle = "B"\n',
     nothing, {}, "component[2].id", "also component[1]'s id"),
    ("steps on the exit button", exit_steps, nothing, {}, "button[1].steps", "takes no steps"),
    ("steps on a button 1 without kind", no_kind_steps, nothing, {}, "button[1].steps", "takes no steps"),
    ("no buttons", lambda t: t[:t.index("[[button]]")] + "button = []\n", nothing, {}, "button",
     "at least its exit button"),
    ("too many buttons for a drawn menu",
     lambda t: t + "".join(f'\n[[button]]\nlabel = "B{n}"\nconfirmation = "C"\nsteps = [ {{ component = "app" }} ]\n'
                           for n in range(9)), nothing, {}, "button", "at most 9 install buttons"),
    ("a background too big", lambda t: t.replace('key = "es"', 'key = "es"\nbackground = "big.png"')
     .replace('primary_id = 9', 'primary_id = 9\nbackground = "big.png"'),
     put_files(**{"big.png": ("image", (801, 600))}), {}, "language[1].background", "the most is 800 x 600"),
    ("a label too long", lambda t: t.replace('label = { en = "Install App"', 'label = { en = "' + "L" * 1001 + '"'),
     nothing, {}, "button[2].label.en", "the most is 1000"),
]


def listing(root):
    return sorted((str(p.relative_to(root)), p.lstat().st_size) for p in root.rglob("*"))


class BeforeWriting(unittest.TestCase):
    def test_each_is_listed_and_nothing_written(self):
        for what, change, prepare, env, key, words in CASES:
            with self.subTest(what), tempfile.TemporaryDirectory() as out:
                text = change(MANIFEST) if change else MANIFEST
                with SampleDisc(text) as sample:
                    prepare(sample.root)
                    before = listing(sample.root)
                    saved = {name: os.environ.get(name) for name in env}
                    for name, value in env.items():
                        os.environ.pop(name, None) if value is None else os.environ.__setitem__(name, value)
                    errors = io.StringIO()
                    try:
                        with redirect_stderr(errors), redirect_stdout(io.StringIO()):
                            code = main([str(sample.manifest), "--build-dir", str(Path(out) / "build"),
                                         "--programs", str(Path(out) / "programs.txt")])
                    finally:
                        for name, value in saved.items():
                            os.environ.pop(name, None) if value is None else os.environ.__setitem__(name, value)
                    self.assertEqual(code, 1, errors.getvalue())
                    lines = [line for line in errors.getvalue().splitlines() if f" {key}: " in line]
                    self.assertTrue(any(words in line for line in lines), errors.getvalue()[:3000])
                    self.assertFalse((Path(out) / "build").exists())
                    self.assertEqual(listing(sample.root), before)

    def test_a_link_to_a_file_inside_is_copied_as_the_file(self):
        with SampleDisc() as sample:
            (sample.root / "files" / "guide.txt").symlink_to("manuals/guide.txt")
            self.assertIsNone(load(sample.manifest)[1])

    def test_the_right_password_passes(self):
        with SampleDisc(signed()(MANIFEST)) as sample:
            put_files(**{"cert.p12": ("certificate",)})(sample.root)
            os.environ["KIT_TEST_PASSWORD"] = "right"
            try:
                self.assertIsNone(load(sample.manifest)[1])
            finally:
                del os.environ["KIT_TEST_PASSWORD"]

    def test_kept_pictures_of_the_wrong_size_or_cut_short_are_drawn_afresh(self):
        from authoring import drawing
        with SampleDisc() as sample:
            disc, _ = load(sample.manifest)
            en = disc.language("en")
            files, _ = drawing.ensure_drawn(disc, en)
            whole = files[2].read_bytes()
            for damage in (lambda p: Image.new("RGB", (10, 10)).save(p, "BMP"),
                           lambda p: p.write_bytes(whole[:500])):
                with self.subTest(damage=damage):
                    damage(files[2])
                    self.assertTrue(drawing.ensure_drawn(disc, en)[1])
                    self.assertEqual(files[2].read_bytes(), whole)

    def test_every_mistake_is_listed_when_a_layout_check_fails(self):
        text = (MANIFEST.replace('kind = "exit"', 'kind = "exit"\nx = 5')
                .replace('volume_id = "SAMPLE_DISC"', 'volume_id = "bad id"')
                .replace('caption = "Instalación"', 'caption = "Ω"'))
        with SampleDisc(text) as sample:
            _, report = load(sample.manifest)
        for key in ("button[1]", "disc.volume_id", "language[2].caption"):
            self.assertIn(f" {key}: ", report)


if __name__ == "__main__":
    unittest.main()
