import unittest
from pathlib import Path

from authoring import known_texts
from authoring.make_disc import load
from authoring.problems import line_of
from tests.authoring.sample import MANIFEST, SampleDisc

REPO = Path(__file__).resolve().parents[2]


class DemoManifest(unittest.TestCase):
    def setUp(self):
        self.disc, report = load(REPO / "discs" / "demo" / "disc.toml")
        self.assertIsNone(report)

    def test_languages_keep_their_given_bases(self):
        self.assertEqual([(l.key, l.primary_id, l.dialog_base, l.script_base, l.default)
                          for l in self.disc.languages],
                         [("en", 9, 100, 1000, True), ("fr", 12, 200, 1010, False),
                          ("de", 7, 300, 1020, False)])

    def test_known_texts_fill_what_the_manifest_leaves_out(self):
        french = self.disc.language("fr")
        self.assertEqual(french.cancel, "Annuler")
        self.assertEqual(french.caption, "Installation")
        self.assertEqual(french.messages["launch_failed"].text,
                         known_texts.KNOWN[12]["messages"]["launch_failed"])
        self.assertEqual(french.messages["old_windows"].geometry.cancel, (163, 72))

    def test_sizes_come_from_the_pictures(self):
        self.assertEqual(self.disc.menu_size, (488, 242))
        self.assertEqual(self.disc.button_sizes, {1: (95, 32), 2: (447, 46), 3: (293, 62), 4: (293, 62)})

    def test_version_block_fields(self):
        p = self.disc.product
        self.assertEqual((p.name, p.version, p.description), ("Installer", (3, 3, 0, 0), "Installer Ver.3.3"))


class Defaults(unittest.TestCase):
    def test_a_minimal_disc_gets_bases_locales_layout_and_control_ids(self):
        with SampleDisc() as sample:
            disc, report = load(sample.manifest)
            self.assertIsNone(report)
            en, es = disc.languages
            self.assertEqual((en.dialog_base, en.script_base, es.dialog_base, es.script_base),
                             (100, 1000, 200, 1010))
            self.assertTrue(en.default and not es.default)
            self.assertEqual((en.code_page, es.code_page, es.locale), (1252, 1252, "es_ES.UTF-8"))
            self.assertEqual(en.name, "en")
            self.assertEqual([b.control_id for b in disc.buttons], [100, 101])
            self.assertEqual(disc.product.version, (1, 2, 0, 0))
            self.assertEqual(disc.product.description, "Sample Ver.1.2")
            self.assertEqual(disc.volume_id, "SAMPLE_DISC")
            self.assertEqual(disc.buttons[1].steps[1].destination, "App\\Manuals")
            exit_button = disc.buttons[0]
            w, h = disc.button_sizes[1]
            self.assertLessEqual(exit_button.x + w, disc.menu_size[0])
            self.assertLessEqual(exit_button.y + h, disc.menu_size[1])

    def test_explicit_bases_are_skipped_by_assigned_ones(self):
        text = MANIFEST.replace('key = "es"', 'key = "es"\ndialog_base = 100\nscript_base = 1000')
        with SampleDisc(text) as sample:
            disc, report = load(sample.manifest)
            self.assertIsNone(report)
            self.assertEqual([(l.dialog_base, l.script_base) for l in disc.languages], [(200, 1010), (100, 1000)])


class LineNumbers(unittest.TestCase):
    TEXT = ["[[button]]", 'kind = "exit"', "[[button]]", "label = { en = 'a' }",
            "[button.confirmation]", 'en = "x"', 'es = "y"', "[[button]]",
            "steps = [", "  { component = 'a' },", "  { copy = 'm', to = 'x' } ]"]

    def test_table_cases(self):
        for key, line in (("button[2]", 3), ("button[2].confirmation.es", 7),
                          ("button[1].kind", 2), ("button[2].label", 4), ("missing", None),
                          ("button[3].steps[2].copy", 11), ("button[3].steps[1]", 9)):
            with self.subTest(key=key):
                self.assertEqual(line_of(self.TEXT, key), line)


if __name__ == "__main__":
    unittest.main()
