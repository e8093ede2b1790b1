"""The build's epoch and the image's dates taken from it."""
import io
import os
import pathlib
import subprocess
import tempfile
import unittest
from unittest import mock

from authoring.iso_image import (FALLBACK_EPOCH, IsoImageError, build_epoch,
                                 iso_timestring, make_iso)


def git(folder, *args, env=None):
    subprocess.run(["git", "-C", str(folder), *args], check=True, capture_output=True,
                   env=env)


class BuildEpoch(unittest.TestCase):
    def setUp(self):
        self.temp = tempfile.TemporaryDirectory()
        self.folder = pathlib.Path(self.temp.name)
        self.addCleanup(self.temp.cleanup)

    def environment_without_epoch(self):
        env = dict(os.environ)
        env.pop("SOURCE_DATE_EPOCH", None)
        return mock.patch.dict(os.environ, env, clear=True)

    def make_repository(self, commit_time):
        env = dict(os.environ, GIT_AUTHOR_NAME="a", GIT_AUTHOR_EMAIL="a@example.org",
                   GIT_COMMITTER_NAME="a", GIT_COMMITTER_EMAIL="a@example.org",
                   GIT_AUTHOR_DATE=f"@{commit_time - 1000} +0900",
                   GIT_COMMITTER_DATE=f"@{commit_time} +0900")
        git(self.folder, "init", "-q")
        (self.folder / "file").write_text("x")
        git(self.folder, "add", "file")
        git(self.folder, "commit", "-q", "-m", "one", env=env)

    def test_source_date_epoch_wins_over_the_commit(self):
        self.make_repository(1600000000)
        for value, expected in [("1234567890", 1234567890), (" 42 \n", 42), ("0", 0)]:
            with self.subTest(value=value), \
                    mock.patch.dict(os.environ, {"SOURCE_DATE_EPOCH": value}):
                self.assertEqual(build_epoch(self.folder), expected)

    def test_malformed_source_date_epoch_is_refused(self):
        for value in ["yesterday", "-5", "1.5", "12a"]:
            with self.subTest(value=value), \
                    mock.patch.dict(os.environ, {"SOURCE_DATE_EPOCH": value}), \
                    self.assertRaisesRegex(IsoImageError, "SOURCE_DATE_EPOCH"):
                build_epoch(self.folder)

    def test_empty_source_date_epoch_counts_as_unset(self):
        self.make_repository(1600000000)
        with mock.patch.dict(os.environ, {"SOURCE_DATE_EPOCH": ""}):
            self.assertEqual(build_epoch(self.folder), 1600000000)

    def test_commit_time_of_head_whatever_the_time_zone(self):
        self.make_repository(1600000000)
        with self.environment_without_epoch():
            self.assertEqual(build_epoch(self.folder), 1600000000)

    def test_without_history_the_fixed_constant(self):
        with self.environment_without_epoch(), \
                mock.patch("sys.stderr", new_callable=io.StringIO) as stderr:
            self.assertEqual(build_epoch(self.folder), FALLBACK_EPOCH)
        self.assertEqual(stderr.getvalue(), "", "a folder without history is no fault")

    def test_without_git_the_fixed_constant_and_a_warning(self):
        self.make_repository(1600000000)
        with self.environment_without_epoch(), \
                mock.patch.dict(os.environ, {"PATH": str(self.folder)}), \
                mock.patch("sys.stderr", new_callable=io.StringIO) as stderr:
            self.assertEqual(build_epoch(self.folder), FALLBACK_EPOCH)
        self.assertIn("cannot read the commit time", stderr.getvalue())
        self.assertIn("20000101", stderr.getvalue())


class IsoTimestring(unittest.TestCase):
    def test_utc_with_centiseconds(self):
        for epoch, expected in [(0, "1970010100000000"),
                                (1700000000, "2023111422132000"),
                                (951782400, "2000022900000000")]:
            with self.subTest(epoch=epoch):
                self.assertEqual(iso_timestring(epoch), expected)


class MakeIso(unittest.TestCase):
    def setUp(self):
        self.temp = tempfile.TemporaryDirectory()
        self.folder = pathlib.Path(self.temp.name)
        self.addCleanup(self.temp.cleanup)

    def test_missing_folder_is_refused(self):
        with self.assertRaisesRegex(IsoImageError, "not a folder"):
            make_iso(self.folder / "absent", self.folder / "x.iso", "V", 0)
        self.assertFalse((self.folder / "x.iso").exists())

    def test_volume_dates_are_the_epoch(self):
        disc = self.folder / "disc"
        disc.mkdir()
        (disc / "README.TXT").write_bytes(b"hello\r\n")
        for epoch in [1700000000, 1234567890]:
            with self.subTest(epoch=epoch):
                iso = self.folder / f"{epoch}.iso"
                make_iso(disc, iso, "DATES", epoch)
                primary = iso.read_bytes()[16 * 2048:17 * 2048]
                self.assertEqual(primary[0:6], b"\x01CD001")
                self.assertEqual(primary[40:45], b"DATES")
                stamp = iso_timestring(epoch).encode()
                # Creation and modification: the epoch; expiry and
                # effective: left out (all zeros).
                self.assertEqual(primary[813:830], stamp + b"\x00")
                self.assertEqual(primary[830:847], stamp + b"\x00")
                self.assertEqual(primary[847:864], b"0" * 16 + b"\x00")
                self.assertEqual(primary[864:881], b"0" * 16 + b"\x00")

    def test_xorriso_failure_is_reported(self):
        disc = self.folder / "disc"
        disc.mkdir()
        with self.assertRaisesRegex(IsoImageError, "xorriso failed"):
            make_iso(disc, self.folder / "no such folder" / "x.iso", "V", 0)


if __name__ == "__main__":
    unittest.main()
