"""The build folder: make-disc removes and replaces only what it wrote, refuses
a folder that holds the manifest's folder, the checkout or the home folder,
and a failed or interrupted run leaves no image and no disc folder."""
import io
import os
import signal
import subprocess
import sys
import tempfile
import time
import unittest
from contextlib import redirect_stderr, redirect_stdout
from pathlib import Path

from authoring import build_folder
from authoring.make_disc import main
from tests.authoring.sample import MANIFEST, SampleDisc

REPO = Path(__file__).resolve().parents[2]


def make_disc(*args):
    errors = io.StringIO()
    with redirect_stderr(errors), redirect_stdout(io.StringIO()):
        code = main([str(a) for a in args])
    return code, errors.getvalue()


class Refusals(unittest.TestCase):
    def test_folders_that_hold_what_must_stay(self):
        with tempfile.TemporaryDirectory() as tmp:
            tmp = Path(tmp)
            protected = {"the manifest's folder": tmp / "discs" / "a", "the checkout": REPO,
                         "the home folder": tmp / "home"}
            # A checkout in the temporary folder (a CI clone) puts the
            # manifest's folder under the checkout's parent too.
            beside = tmp.resolve().is_relative_to(REPO.parent.resolve())
            for out, words in ((tmp, "the manifest's folder"), (tmp / "discs", "the manifest's folder"),
                               (tmp / "discs" / "a", "the manifest's folder"), (REPO, "the checkout"),
                               (REPO.parent, "holds" if beside else "the checkout"), (Path("/"), "holds"),
                               (tmp / "home", "the home folder")):
                with self.subTest(out=out):
                    with self.assertRaisesRegex(build_folder.NotOurs, words):
                        build_folder.check(out.resolve(), protected)
            for out in (tmp / "discs" / "a" / "build", REPO / "build" / "discs" / "x", tmp / "elsewhere"):
                with self.subTest(out=out):
                    build_folder.check(out, protected)

    def test_the_manifests_own_folder_is_refused_and_nothing_written(self):
        with SampleDisc() as sample:
            before = sorted(p.relative_to(sample.root) for p in sample.root.rglob("*"))
            code, errors = make_disc(sample.manifest, "--preview", "--build-dir", sample.root)
            self.assertEqual(code, 1)
            self.assertIn("holds the manifest's folder", errors)
            self.assertEqual(sorted(p.relative_to(sample.root) for p in sample.root.rglob("*")), before)

    def test_the_home_folder_is_refused(self):
        with SampleDisc() as sample, tempfile.TemporaryDirectory() as home:
            (Path(home) / "disc").mkdir()
            (Path(home) / "disc" / "mine.txt").write_text("keep")
            old = os.environ.get("HOME")
            os.environ["HOME"] = home
            try:
                code, errors = make_disc(sample.manifest, "--preview", "--build-dir", home)
            finally:
                os.environ["HOME"] = old
            self.assertEqual(code, 1)
            self.assertIn("holds the home folder", errors)
            self.assertEqual(sorted(os.listdir(home)), ["disc"])

    def test_outputs_the_kit_did_not_write_are_kept(self):
        with SampleDisc() as sample, tempfile.TemporaryDirectory() as out:
            out = Path(out)
            (out / "disc").mkdir()
            (out / "disc" / "mine.txt").write_text("keep")
            (out / "SETUP.EXE").write_text("mine")
            code, errors = make_disc(sample.manifest, "--build-dir", out,
                                     "--programs", out / "programs.txt")
            self.assertEqual(code, 1)
            self.assertIn("which make-disc did not write", errors)
            self.assertEqual((out / "disc" / "mine.txt").read_text(), "keep")
            self.assertEqual((out / "SETUP.EXE").read_text(), "mine")
            self.assertEqual(sorted(os.listdir(out)), ["SETUP.EXE", "disc"])

    def test_the_kits_own_outputs_are_replaced(self):
        with SampleDisc() as sample, tempfile.TemporaryDirectory() as out:
            for _ in range(2):
                code, errors = make_disc(sample.manifest, "--preview", "--build-dir", out)
                self.assertEqual(code, 0, errors)
            self.assertTrue((Path(out) / build_folder.MARK).is_file())
            self.assertTrue((Path(out) / "preview" / "menu-es.png").is_file())


class Unfinished(unittest.TestCase):
    def test_a_failed_build_leaves_no_image_and_no_disc_folder(self):
        with SampleDisc() as sample, tempfile.TemporaryDirectory() as out:
            out = Path(out)
            # An earlier run's outputs in a folder the kit marked as its own.
            build_folder.claim(out)
            (out / "disc").mkdir()
            (out / "disc" / "SETUP.EXE").write_text("old")
            (out / "disc.iso").write_text("old")
            (out / "programs.txt").write_text("launcher=/nonexistent/launcher.exe\nwaiter=/nonexistent/Tarrywin.exe\n")
            code, errors = make_disc(sample.manifest, "--build-dir", out, "--programs", out / "programs.txt")
            self.assertEqual(code, 1)
            for name in ("disc", "disc.iso", "disc.partial", "disc.iso.partial", "walkthrough.json"):
                self.assertFalse(os.path.lexists(out / name), name)

    def test_a_refused_manifest_withdraws_the_earlier_image(self):
        with SampleDisc(MANIFEST.replace('volume_id = "SAMPLE_DISC"', 'volume_id = "bad id"')) as sample, \
                tempfile.TemporaryDirectory() as out:
            out = Path(out)
            build_folder.claim(out)
            (out / "disc").mkdir()
            (out / "disc.iso").write_text("old")
            (out / "resources").mkdir()
            code, errors = make_disc(sample.manifest, "--build-dir", out)
            self.assertEqual(code, 1)
            self.assertIn("disc.volume_id", errors)
            self.assertEqual(sorted(os.listdir(out)), [build_folder.MARK, "resources"])

    def test_an_interrupted_image_has_no_image_name(self):
        with tempfile.TemporaryDirectory() as tmp:
            tmp = Path(tmp)
            folder = tmp / "disc"
            folder.mkdir()
            for i in range(4):
                (folder / f"data{i}.bin").write_bytes(os.urandom(40 << 20))
            child = subprocess.Popen(
                [sys.executable, "-c", "import sys; from pathlib import Path; from authoring import iso_image; "
                 "iso_image.make_iso(Path(sys.argv[1]), Path(sys.argv[2]), 'V', 0)", folder, tmp / "disc.iso"],
                cwd=REPO, start_new_session=True)
            try:
                deadline = time.monotonic() + 60
                while time.monotonic() < deadline and child.poll() is None:
                    written = [p for p in tmp.iterdir() if p.is_file() and p.stat().st_size > (8 << 20)]
                    if written:
                        break
                    time.sleep(0.005)
                self.assertIsNone(child.poll(), "the image was done before it could be interrupted")
            finally:
                os.killpg(child.pid, signal.SIGKILL)
                child.wait()
            self.assertFalse((tmp / "disc.iso").exists())
            self.assertTrue((tmp / "disc.iso.partial").exists())


if __name__ == "__main__":
    unittest.main()
