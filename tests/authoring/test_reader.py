import unittest
from pathlib import Path

from authoring import known_texts
from authoring.build import load
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
                         known_texts.built_in(12).messages["launch_failed"])
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


def with_second_language(table):
    """The sample with its Spanish language replaced by the given keys, and
    its one non-ASCII title made ASCII, so any code page can write it; when
    that language is English, the first one becomes German."""
    start = MANIFEST.index('key = "es"\n') + len('key = "es"\n')
    end = MANIFEST.index("\n[[component]]")
    text = (MANIFEST[:start] + table + MANIFEST[end:]).replace("Instalación de App", "App Installer")
    if table.startswith("primary_id = 9\n"):
        text = text.replace('key = "en"\nprimary_id = 9', 'key = "en"\nprimary_id = 7', 1)
    return text


class BuiltInLanguages(unittest.TestCase):
    def test_each_built_in_language_needs_no_texts(self):
        for b in known_texts.BUILT_IN:
            with self.subTest(b.name), SampleDisc(with_second_language(
                    f"primary_id = {b.primary_id}\nsublanguage_id = {b.sublanguage_id}\n")) as sample:
                disc, report = load(sample.manifest)
                self.assertIsNone(report)
                lang = disc.language("es")
                self.assertEqual((lang.code_page, lang.locale, lang.caption, lang.ok, lang.cancel),
                                 (b.code_page, b.locale, b.caption, b.ok, b.cancel))
                self.assertEqual({k: m.text for k, m in lang.messages.items()}, b.messages)
                for m in lang.messages.values():
                    m.text.encode(f"cp{b.code_page}")

    def test_ids_pick_the_language(self):
        # (primary id, sublanguage id or None, built-in tag, sublanguage the disc gets)
        for primary, sub, tag, disc_sub in ((4, None, "zh-cn", 2), (4, 1, "zh-tw", 1), (4, 2, "zh-cn", 2),
                                            (22, None, "pt-br", 1), (22, 2, "pt", 2), (9, 2, "en", 2),
                                            (20, None, "no", 1), (10, None, "es", 1), (4, 3, "zh-tw", 3),
                                            (4, 4, "zh-cn", 4), (10, 3, "es", 3)):
            table = f"primary_id = {primary}\n" + (f"sublanguage_id = {sub}\n" if sub else "")
            with self.subTest(primary=primary, sub=sub), SampleDisc(with_second_language(table)) as sample:
                disc, report = load(sample.manifest)
                self.assertIsNone(report)
                lang = disc.language("es")
                b = next(b for b in known_texts.BUILT_IN if b.tag == tag)
                self.assertEqual((lang.sublanguage_id, lang.caption, lang.code_page, lang.locale),
                                 (disc_sub, b.caption, b.code_page, b.locale))

    def test_the_author_overrides_single_texts(self):
        table = ('primary_id = 21\ncancel = "Przerwij"\n[language.messages]\n'
                 'copy_failed = "Kopiowanie nie powiodło się."\n')
        with SampleDisc(with_second_language(table)) as sample:
            disc, report = load(sample.manifest)
            self.assertIsNone(report)
            polish = disc.language("es")
            b = known_texts.built_in(21)
            self.assertEqual((polish.ok, polish.cancel, polish.code_page), ("OK", "Przerwij", 1250))
            self.assertEqual(polish.messages["copy_failed"].text, "Kopiowanie nie powiodło się.")
            self.assertEqual(polish.messages["launch_failed"].text, b.messages["launch_failed"])

    def test_built_in_tags_are_distinct_and_cover_the_windows_95_languages(self):
        tags = [b.tag for b in known_texts.BUILT_IN]
        self.assertEqual(len(tags), len(set(tags)))
        self.assertTrue({"es", "it", "pt-br", "pt", "nl", "sv", "da", "no", "fi", "pl", "cs", "hu", "ru",
                         "el", "tr", "ja", "ko", "zh-cn", "zh-tw", "en", "fr", "de"} <= set(tags))


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
