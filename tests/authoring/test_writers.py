import json
import struct
import tempfile
import unittest
from pathlib import Path

from PIL import Image

from authoring import (app_manifest, commands, disc_folder, drawing, geometry, palette,
                       preview, resource_script)
from authoring.walkthrough import disc_plan as walkthrough_plan
from authoring.build import load
from authoring.model import Step
from tests.authoring.sample import MANIFEST, SampleDisc

REPO = Path(__file__).resolve().parents[2]


def demo():
    disc, report = load(REPO / "discs" / "demo" / "disc.toml")
    assert report is None, report
    return disc


class CommandStrings(unittest.TestCase):
    def test_demo_strings_and_scripts(self):
        disc = demo()
        strings, scripts = commands.language_scripts(disc, disc.language("fr"))
        self.assertEqual(strings, [(200, "e/tessera\\w95f\\tarrywin.exe;"),
                                   (201, "e/quillon\\w95f\\tarrywin.exe;"),
                                   (202, "e/kxtwain\\w95f\\tarrywin.exe;")])
        self.assertEqual(scripts, [(1010, [200, 201, 202]), (1011, [200, 201]), (1012, [202])])

    def test_separator_and_fields(self):
        disc = demo()
        en = disc.language("en")
        for step, text in (
                (Step("run", program="tools\\x.exe", window="X Setup"), "e/tools\\x.exe/X Setup;"),
                (Step("run", program="x.exe"), "e/x.exe;"),
                (Step("copy", source="manuals", destination="Orbit Notes\\Manuals"),
                 "c/manuals/Orbit Notes\\Manuals;"),
                (Step("run", program="x.exe", window="A/B Setup"), "e|x.exe|A/B Setup;"),
                (Step("copy", source="a/|b", destination="c"), "c*a/|b*c;")):
            with self.subTest(text):
                self.assertEqual(commands.command_text(step, disc, en), text)

    def test_no_separator_left(self):
        self.assertIsNone(commands.choose_separator([commands.SEPARATORS]))


class ResourceScript(unittest.TestCase):
    def test_sample_script(self):
        with SampleDisc() as sample:
            disc, _ = load(sample.manifest)
            files = {"palette": "p.bin", "icon": "i.ico", "manifest": "m.xml",
                     "en": {"background": "en_bg.bmp", 1: "en_1.bmp", 2: "en_2.bmp"},
                     "es": {"background": "es_bg.bmp", 1: "es_1.bmp", 2: "es_2.bmp"}}
            text = resource_script.resource_script(disc, files)
        for line in ("LANGUAGE 10, 1", "10 LANG { 200, 1010 }", "9 LANG { 100, 1000 }",
                     "DEFAULT LANG { 100, 1000 }", '202 BITMAP "es_2.bmp"', "250 DIALOG 0, 0,",
                     '    DEFPUSHBUTTON "Aceptar", IDOK,', "1010 INST { 2, 200, 201 }",
                     '    201 "c/manuals/App\\\\Manuals;"', '    PUSHBUTTON "Cancelar", IDCANCEL,',
                     'CAPTION "Instalación"', '        BLOCK "040A04B0"', '            VALUE "ProductName", "Sample"',
                     '        VALUE "Translation", 0x040A, 1200', "    FILEVERSION 1, 2, 0, 0"):
            with self.subTest(line):
                self.assertIn(line, text)
        self.assertEqual(text.count("DEFAULT LANG"), 1)

    def test_quoting(self):
        self.assertEqual(resource_script.quoted('a "b"\nc\\d'), '"a ""b""\\nc\\\\d"')

    def test_application_manifest_is_the_shipped_one_for_the_demo(self):
        shipped = (REPO / "launcher" / "resources" / "setup.manifest").read_text(encoding="utf-8")
        self.assertEqual(app_manifest.application_manifest(demo().product), shipped)


class Geometry(unittest.TestCase):
    def test_texts_fit_their_dialogs(self):
        for text, cancel in (("Short.", False), ("A much longer text " * 12, True),
                             ("一行目のテキストです。\n二行目", True), ("x" * 300, False)):
            with self.subTest(text=text[:20]):
                g = geometry.message_geometry(text, cancel)
                x, y, w, h = g.text
                self.assertGreaterEqual(h, geometry.wrapped_lines(text, w) * geometry.LINE)
                self.assertLessEqual(x + w, g.size[0])
                self.assertLessEqual(y + h, g.ok[1])
                for button in (g.ok, g.cancel) if cancel else (g.ok,):
                    self.assertLessEqual(button[0] + 50, g.size[0])
                    self.assertLessEqual(button[1] + 14, g.size[1])

    def test_wide_characters_count_double(self):
        self.assertEqual(geometry.text_width("ab"), 9)
        self.assertEqual(geometry.text_width("日本"), 16)


class DiscFolder(unittest.TestCase):
    def test_tarrywin_ini_in_the_code_page_with_crlf(self):
        self.assertEqual(disc_folder.tarrywin_ini("Orbit セットアップ", 932),
                         b"[CHECK]\r\nSTRING=Orbit \x83\x5a\x83\x62\x83\x67\x83\x41\x83\x62\x83\x76\r\n")

    def test_standin_ini_gets_the_title_under_its_header(self):
        with tempfile.TemporaryDirectory() as tmp:
            template = Path(tmp) / "t.ini"
            template.write_text("; note\n[standin]\ntitle=old\nmode=child\n")
            self.assertEqual(disc_folder.standin_ini(template, "Instalación", 1252),
                             "; note\r\n[standin]\r\ntitle=Instalación\r\nmode=child\r\n".encode("cp1252"))

    def test_lay_out(self):
        with SampleDisc() as sample, tempfile.TemporaryDirectory() as tmp:
            disc, _ = load(sample.manifest)
            tmp = Path(tmp)
            for name in ("setup", "waiter", "standin"):
                (tmp / name).write_bytes(name.encode())
            folder = tmp / "disc"
            standins = disc_folder.lay_out(disc, folder, tmp / "setup", tmp / "waiter", tmp / "standin")
            self.assertEqual(standins, ["app\\english", "app\\espanol"])
            self.assertEqual((folder / "SETUP.EXE").read_bytes(), b"setup")
            self.assertEqual((folder / "AUTORUN.INF").read_bytes(), disc_folder.AUTORUN)
            self.assertEqual((folder / "app" / "espanol" / "Tarrywin.exe").read_bytes(), b"waiter")
            self.assertEqual((folder / "app" / "espanol" / "setup.exe").read_bytes(), b"standin")
            self.assertIn("title=Instalación de App".encode("cp1252"),
                          (folder / "app" / "espanol" / "standin.ini").read_bytes())
            self.assertEqual((folder / "manuals" / "guide.txt").read_bytes(), b"guide\r\n")


    def test_a_real_installer_is_copied_and_gets_no_stand_in(self):
        text = MANIFEST.replace('id = "app"', 'id = "app"\ninstaller = "installer/setup.exe"')
        with SampleDisc(text) as sample, tempfile.TemporaryDirectory() as tmp:
            (sample.root / "installer" / "data").mkdir(parents=True)
            (sample.root / "installer" / "setup.exe").write_bytes(b"real")
            (sample.root / "installer" / "data" / "app.cab").write_bytes(b"cab")
            disc, report = load(sample.manifest)
            self.assertIsNone(report)
            tmp = Path(tmp)
            for name in ("setup", "waiter", "standin"):
                (tmp / name).write_bytes(name.encode())
            self.assertEqual(disc_folder.lay_out(disc, tmp / "disc", tmp / "setup", tmp / "waiter",
                                                 tmp / "standin"), [])
            folder = tmp / "disc" / "app" / "english"
            self.assertEqual((folder / "setup.exe").read_bytes(), b"real")
            self.assertEqual((folder / "data" / "app.cab").read_bytes(), b"cab")
            self.assertFalse((folder / "standin.ini").exists())
            plan = walkthrough_plan.plan(disc, tmp / "disc", tmp / "disc.iso")
            self.assertFalse(plan["languages"][0]["buttons"][1]["steps"][0]["standin"])


    def test_one_installer_per_language(self):
        text = MANIFEST.replace('id = "app"', 'id = "app"\n'
                                'installer = { en = "installer_en", es = "installer_es/setup.exe" }')
        with SampleDisc(text) as sample, tempfile.TemporaryDirectory() as tmp:
            for lang in ("en", "es"):
                (sample.root / f"installer_{lang}").mkdir()
                (sample.root / f"installer_{lang}" / "setup.exe").write_bytes(lang.encode())
            disc, report = load(sample.manifest)
            self.assertIsNone(report)
            self.assertEqual({k: p.name for k, p in disc.components[0].installers.items()},
                             {"en": "installer_en", "es": "installer_es"})
            tmp = Path(tmp)
            for name in ("setup", "waiter", "standin"):
                (tmp / name).write_bytes(name.encode())
            self.assertEqual(disc_folder.lay_out(disc, tmp / "disc", tmp / "setup", tmp / "waiter",
                                                 tmp / "standin"), [])
            self.assertEqual((tmp / "disc" / "app" / "english" / "setup.exe").read_bytes(), b"en")
            self.assertEqual((tmp / "disc" / "app" / "espanol" / "setup.exe").read_bytes(), b"es")


class Ampersands(unittest.TestCase):
    """An '&' in a static text is shown as written: such a static gets
    SS_NOPREFIX; statics without one keep the shipped set's styles."""

    def test_table(self):
        text = (MANIFEST.replace('es = "Instalando App."', 'es = "Instalando A & B."')
                .replace('copy_failed = "Se produjo', 'copy_failed = "A & B: se produjo'))
        with SampleDisc(text) as sample:
            disc, report = load(sample.manifest)
            self.assertIsNone(report)
            files = {"palette": "p.bin", "icon": "i.ico", "manifest": "m.xml",
                     "en": {"background": "b", 1: "1", 2: "2"}, "es": {"background": "b", 1: "1", 2: "2"}}
            rc = resource_script.resource_script(disc, files).splitlines()
        for start, no_prefix in (('    LTEXT "Instalando A & B."', True), ('    LTEXT "Installing App."', False),
                                 ('    LTEXT "A & B: se produjo', True),
                                 ('    LTEXT "An error occurred while copying', False),
                                 ('    LTEXT "Could not start up', True)):
            with self.subTest(start):
                line = next(line for line in rc if line.startswith(start))
                self.assertEqual(line.endswith(", SS_NOPREFIX"), no_prefix, line)


class WalkthroughPlan(unittest.TestCase):
    def test_sample_plan(self):
        with SampleDisc() as sample:
            disc, _ = load(sample.manifest)
            plan = walkthrough_plan.plan(disc, Path("/d"), Path("/d.iso"))
        json.dumps(plan)
        self.assertEqual((plan["name"], plan["volume_id"], plan["iso"]), ("sample", "SAMPLE_DISC", "/d.iso"))
        es = plan["languages"][1]
        self.assertEqual((es["key"], es["primary_id"], es["locale"], es["ok"], es["cancel"], es["default"]),
                         ("es", 10, "es_ES.UTF-8", "Aceptar", "Cancelar", False))
        exit_button, install = es["buttons"]
        self.assertEqual((exit_button["number"], exit_button["kind"], exit_button["control_id"]), (1, "exit", 100))
        self.assertEqual(install["confirmation"], "Instalando App.")
        self.assertEqual(install["steps"], [
            {"kind": "component", "component": "app", "folder": "app\\espanol",
             "window": "Instalación de App", "standin": True, "walkthrough": "fail"},
            {"kind": "copy", "source": "manuals", "destination": "App\\Manuals", "directory": True}])


class Pictures(unittest.TestCase):
    def test_palette_entries(self):
        p = palette.PALETTE
        self.assertEqual(len(p), 256)
        self.assertEqual((p[0], p[214], p[215], p[245], p[255]),
                         ((255, 255, 255), (0, 0, 0x33), (0xEE, 0, 0), (0xEE, 0xEE, 0xEE), (0, 0, 0)))
        self.assertEqual(palette.palette_bytes(), (REPO / "launcher" / "resources" / "palette.bin").read_bytes())

    def test_bmp_is_8_bit_with_the_palette(self):
        data = palette.bmp_bytes(Image.new("RGB", (3, 2), (0xEE, 0, 1)))
        size, w, h, planes, bits, compression, image, _, _, used, _ = struct.unpack_from("<IiiHHIIiiII", data, 14)
        self.assertEqual((size, w, h, bits, compression, used, image), (40, 3, 2, 8, 0, 0, 8))
        self.assertEqual(data[54 + 1024:54 + 1024 + 3], bytes([215] * 3))

    def test_the_demo_pictures_convert_to_themselves(self):
        source = REPO / "launcher" / "resources" / "bitmaps" / "en_exit.bmp"
        with Image.open(source) as image:
            self.assertEqual(palette.bmp_bytes(image), source.read_bytes())

    def test_drawn_once_then_kept_until_an_input_changes(self):
        with SampleDisc() as sample:
            disc, _ = load(sample.manifest)
            en = disc.language("en")
            files, drawn = drawing.ensure_drawn(disc, en)
            self.assertTrue(drawn)
            with Image.open(files[2]) as face:
                self.assertEqual(face.size, (disc.button_sizes[2][0], 2 * disc.button_sizes[2][1]))
            with Image.open(files["background"]) as background:
                self.assertEqual(background.size, disc.menu_size)
            self.assertFalse(drawing.ensure_drawn(disc, en)[1])
            disc.buttons[1].labels["en"] = "Install the App"
            self.assertTrue(drawing.ensure_drawn(disc, en)[1])

    def test_an_author_emblem_is_drawn_on_its_button(self):
        with SampleDisc() as sample:
            Image.new("RGB", (64, 64), (0xFF, 0x00, 0xFF)).save(sample.root / "icon.png")
            disc, _ = load(sample.manifest)
            en = disc.language("en")
            drawing.ensure_drawn(disc, en)
            disc.buttons[1].emblem = sample.root / "icon.png"
            files, drawn = drawing.ensure_drawn(disc, en)
            self.assertTrue(drawn)
            with Image.open(files[2]) as face:
                colours = {c for _, c in face.convert("RGB").getcolors(100000)}
            self.assertIn((0xFF, 0x00, 0xFF), colours)

    def test_preview_places_each_normal_face(self):
        with SampleDisc() as sample:
            disc, _ = load(sample.manifest)
            files, _ = drawing.ensure_drawn(disc, disc.language("es"))
            menu = preview.menu_preview(disc, files)
            self.assertEqual(menu.size, disc.menu_size)
            b = disc.buttons[1]
            with Image.open(files[2]) as face:
                face = face.convert("RGB")
                for dx, dy in ((5, 5), (100, 20), (300, 30)):
                    self.assertEqual(menu.getpixel((b.x + dx, b.y + dy)), face.getpixel((dx, dy)))


if __name__ == "__main__":
    unittest.main()
