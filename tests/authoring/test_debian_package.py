"""PURPOSE: the kit's Debian package as scripts/package makes it from the wheel: its fields, files, pages and bytes.

Installing, using and removing it on fresh Debian 13 and 12 is
scripts/test-deb-in-debian's (run by CI); this checks the package itself on
this machine, with dpkg-deb.

    KIT_PROGRAMS=<build>/disc-kit/programs.txt
"""
import gzip
import os
import subprocess
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "scripts"))
import debian_package  # noqa: E402
import wheel_backend  # noqa: E402

SITE = "usr/lib/python3/dist-packages"


class DebianPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        root = Path(cls.tmp.name)
        name = wheel_backend.build_wheel(str(root), {"programs": os.environ["KIT_PROGRAMS"]})
        cls.wheel = root / name
        cls.deb = debian_package.build_deb(cls.wheel, root / "a", 1700000000)
        cls.again = debian_package.build_deb(cls.wheel, root / "b", 1700000000)
        cls.tree = root / "tree"
        subprocess.run(["dpkg-deb", "-x", str(cls.deb), str(cls.tree)], check=True)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def field(self, name):
        return subprocess.run(["dpkg-deb", "-f", str(self.deb), name], capture_output=True, text=True,
                              check=True).stdout.strip()

    def test_name_and_fields(self):
        self.assertEqual(self.deb.name, "disc-kit_1.0.0_all.deb")
        for name, value in [("Package", "disc-kit"), ("Version", "1.0.0"), ("Architecture", "all"),
                            ("Depends", "python3 (>= 3.11), python3-pil, xorriso")]:
            with self.subTest(field=name):
                self.assertEqual(self.field(name), value)
        recommends = {r.strip() for r in self.field("Recommends").split(",")}
        self.assertLessEqual({"wine", "wine32", "xvfb", "xauth", "nsis", "osslsigncode"}, recommends)

    def test_the_same_wheel_gives_the_same_bytes(self):
        self.assertEqual(self.deb.read_bytes(), self.again.read_bytes())

    def test_the_wheel_unpacked_under_dist_packages(self):
        with zipfile.ZipFile(self.wheel) as wheel:
            for entry in wheel.infolist():
                if entry.is_dir() or entry.filename.endswith(("/RECORD", "/INSTALLER")):
                    continue
                with self.subTest(entry=entry.filename):
                    self.assertEqual((self.tree / SITE / entry.filename).read_bytes(), wheel.read(entry))
        self.assertEqual(list(self.tree.glob(f"{SITE}/*.dist-info/RECORD")), [])

    def test_each_command_on_path_answers_help_and_has_a_page(self):
        for command, option in [("make-disc", "--build-dir"), ("check-disc", "--titles")]:
            with self.subTest(command=command):
                program = self.tree / "usr/bin" / command
                self.assertTrue(os.access(program, os.X_OK))
                answer = subprocess.run(["/usr/bin/python3", "-B", str(program), "--help"], capture_output=True,
                                        text=True, env=dict(os.environ, PYTHONPATH=str(self.tree / SITE)))
                self.assertEqual(answer.returncode, 0, answer.stderr)
                self.assertIn(f"usage: {command}", answer.stdout)
                page = gzip.decompress((self.tree / f"usr/share/man/man1/{command}.1.gz").read_bytes()).decode()
                self.assertTrue(page.startswith(f".TH {command.upper()} 1 "), page[:80])
                self.assertIn(".SH OPTIONS", page)
                self.assertIn(option.replace("-", "\\-"), page)

    def test_copyright_changelog_and_the_guide_as_description(self):
        doc = self.tree / "usr/share/doc/disc-kit"
        self.assertIn("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/",
                      (doc / "copyright").read_text())
        self.assertTrue(gzip.decompress((doc / "changelog.gz").read_bytes()).decode().startswith(
            "disc-kit (1.0.0) unstable; urgency=medium"))
        guide = (REPO / "docs" / "authoring.md").read_text(encoding="utf-8")
        self.assertEqual(gzip.decompress((doc / "authoring.md.gz").read_bytes()).decode(), guide)
        description = self.field("Description")
        self.assertIn("## Installing the kit", description)
        self.assertTrue(all(len(line) <= 80 for line in description.splitlines()))
        with zipfile.ZipFile(self.wheel) as wheel:
            metadata = wheel.read(next(n for n in wheel.namelist() if n.endswith(".dist-info/METADATA"))).decode()
        self.assertTrue(metadata.endswith("\n\n" + guide), "the wheel's description is the author's guide")

    def test_removal_takes_the_byte_code_away(self):
        prerm = subprocess.run(["dpkg-deb", "--ctrl-tarfile", str(self.deb)], capture_output=True, check=True)
        self.assertIn(b"__pycache__", prerm.stdout)


class ManualPage(unittest.TestCase):
    HELP = ("usage: make-disc [-h] [--preview] manifest\n\nBuilds one disc from its manifest.\n\n"
            "positional arguments:\n  manifest    the disc's disc.toml\n\n"
            "options:\n  -h, --help  show this help message and exit\n  --preview   only draw the menus\n")

    def test_sections_and_items(self):
        page = debian_package.manual_page("make-disc", "1.0.0", "2026-01-01", self.HELP)
        for expected in ['.TH MAKE-DISC 1 "2026-01-01" "disc-kit 1.0.0" "User Commands"',
                         "make\\-disc \\- Builds one disc from its manifest",
                         ".B make\\-disc [\\-h] [\\-\\-preview] manifest",
                         ".SH POSITIONAL ARGUMENTS", ".SH OPTIONS", ".TP\n\\-\\-preview\nonly draw the menus"]:
            with self.subTest(expected=expected):
                self.assertIn(expected, page)

    def test_text_cannot_start_a_request(self):
        for text, expected in [(".hidden", "\\&.hidden"), ("'quoted", "\\&'quoted"), ("a\\b", "a\\eb"),
                               ("plain", "plain")]:
            with self.subTest(text=text):
                self.assertEqual(debian_package.troff_text(text), expected)


if __name__ == "__main__":
    unittest.main()
