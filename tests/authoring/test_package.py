"""The kit's wheel (scripts/wheel_backend.py, as scripts/package builds it):
its files and metadata, the same bytes twice, and installed into a new
virtual environment without network: make-disc makes the demo disc in a
folder outside the checkout, its SETUP.EXE the shipped one byte for byte;
check-disc without Wine says so in one line; the installed check-disc and
the checkout's scripts/check-disc answer the same arguments alike.

    KIT_PROGRAMS=<build>/disc-kit/programs.txt KIT_SHIPPED_SETUP=<build>/SETUP.EXE
"""
import base64
import csv
import hashlib
import io
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "scripts"))
import wheel_backend  # noqa: E402

from authoring import programs  # noqa: E402


def author_folder(root):
    """The demo manifest as an author keeps it: beside its own pictures."""
    folder = root / "demo disc"
    (folder / "pictures").mkdir(parents=True)
    for name in ("disc.toml", "standin.ini"):
        shutil.copyfile(REPO / "discs" / "demo" / name, folder / name)
    for picture in (REPO / "launcher" / "resources" / "bitmaps").glob("*.bmp"):
        shutil.copyfile(picture, folder / "pictures" / picture.name)
    text = (folder / "disc.toml").read_text(encoding="utf-8")
    text = text.replace("../../launcher/resources/bitmaps/", "pictures/")
    # No icon named: the kit's default, the launcher's own icon, which the
    # installed kit carries.
    text = text.replace('icon = "../../launcher/resources/launcher.ico"\n', "")
    (folder / "disc.toml").write_text(text, encoding="utf-8")
    return folder


class Wheel(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.TemporaryDirectory()
        cls.root = Path(cls.tmp.name)
        settings = {"programs": os.environ["KIT_PROGRAMS"]}
        (cls.root / "a").mkdir()
        (cls.root / "b").mkdir()
        cls.name = wheel_backend.build_wheel(str(cls.root / "a"), settings)
        wheel_backend.build_wheel(str(cls.root / "b"), settings)
        cls.wheel = cls.root / "a" / cls.name

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_contents_and_metadata(self):
        self.assertEqual(self.name, "disc_kit-1.0.0-py3-none-any.whl")
        self.assertEqual(self.wheel.read_bytes(), (self.root / "b" / self.name).read_bytes())
        with zipfile.ZipFile(self.wheel) as wheel:
            names = wheel.namelist()
            info = "disc_kit-1.0.0.dist-info/"
            entry_points = wheel.read(info + "entry_points.txt").decode()
            self.assertIn("make-disc = authoring.make_disc:main", entry_points)
            self.assertIn("check-disc = authoring.walkthrough.command:main", entry_points)
            metadata = wheel.read(info + "METADATA").decode()
            for line in ("Name: disc-kit", "Requires-Python: >=3.11", "Requires-Dist: Pillow"):
                self.assertIn(line + "\n", metadata)
            self.assertIn("Root-Is-Purelib: true", wheel.read(info + "WHEEL").decode())
            recipe = programs.read_recipe(os.environ["KIT_PROGRAMS"])
            for key, name in wheel_backend.PREBUILT.items():
                self.assertEqual(wheel.read(f"authoring/prebuilt/{name}"), recipe[key].read_bytes(), key)
            # The package as it is in the checkout, the walk-through's subfolder included.
            self.assertIn("authoring/walkthrough/language_plan.py", names)
            for module in REPO.glob("authoring/**/*.py"):
                path = module.relative_to(REPO).as_posix()
                self.assertEqual(wheel.read(path), module.read_bytes(), path)
                self.assertEqual(wheel.getinfo(path).external_attr >> 16, 0o100644, path)
            rows = list(csv.reader(io.StringIO(wheel.read(info + "RECORD").decode())))
            self.assertEqual(sorted(row[0] for row in rows), sorted(names))
            for path, digest, size in rows:
                if path == info + "RECORD":
                    continue
                data = wheel.read(path)
                expected = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
                self.assertEqual((digest, size), (f"sha256={expected}", str(len(data))), path)
            self.assertFalse([n for n in names if n.endswith((".pyc", ".cpp", ".rc", ".cmake"))])

    def test_installed_without_network_makes_the_demo_disc(self):
        venv = self.root / "kit"
        subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)],
                       check=True, capture_output=True)
        install = subprocess.run([str(venv / "bin" / "pip"), "install", "--no-index", "--no-cache-dir",
                                  str(self.wheel)], capture_output=True, text=True)
        self.assertEqual(install.returncode, 0, install.stdout + install.stderr)
        folder = author_folder(self.root / "author")
        # Only the environment's commands and the system's, no checkout.
        env = {"PATH": f"{venv / 'bin'}:/usr/bin:/bin", "HOME": str(self.root), "LANG": "C.UTF-8"}
        run = subprocess.run(["make-disc", "disc.toml"], cwd=folder, env=env, capture_output=True, text=True)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        shipped = Path(os.environ["KIT_SHIPPED_SETUP"]).read_bytes()
        self.assertEqual((folder / "build" / "SETUP.EXE").read_bytes(), shipped)
        self.assertEqual((folder / "build" / "disc" / "SETUP.EXE").read_bytes(), shipped)
        self.assertTrue((folder / "build" / "disc.iso").is_file())
        self.assertNotIn(str(REPO), run.stdout + run.stderr)

        # check-disc where Wine is not installed: one line, nothing walked.
        bare = self.root / "bare-bin"
        bare.mkdir()
        for tool in ("xorriso",):
            os.symlink(shutil.which(tool), bare / tool)
        run = subprocess.run([str(venv / "bin" / "check-disc"), "disc.toml"], cwd=folder,
                             env=dict(env, PATH=str(bare)), capture_output=True, text=True)
        self.assertEqual(run.returncode, 1)
        self.assertEqual(run.stderr.strip().splitlines(), ["check-disc: Wine is not installed, so nothing was "
                         "walked through; install it (Debian: dpkg --add-architecture i386 && apt install "
                         "wine wine32:i386)"])

    def test_installed_check_disc_is_the_checkouts(self):
        venv = self.root / "kit-check"
        subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)],
                       check=True, capture_output=True)
        install = subprocess.run([str(venv / "bin" / "pip"), "install", "--no-index", "--no-cache-dir",
                                  str(self.wheel)], capture_output=True, text=True)
        self.assertEqual(install.returncode, 0, install.stdout + install.stderr)
        build = Path(os.environ["KIT_PROGRAMS"]).resolve().parent.parent
        plan = build / "discs" / "demo" / "walkthrough.json"
        work = self.root / "check"
        work.mkdir()
        (work / "not-a-plan.json").write_text("[1, 2]", encoding="utf-8")
        installed = dict(os.environ, PATH=f"{venv / 'bin'}:/usr/bin:/bin", HOME=str(work / "home"))
        installed.pop("BUILD_DIR", None)
        checkout = dict(os.environ, BUILD_DIR=str(build))

        def both(*arguments, out=None):
            """(exit code, stdout, stderr) of each, with its own --out when given."""
            results = []
            for command, env, name in ((str(venv / "bin" / "check-disc"), installed, "installed"),
                                       (str(REPO / "scripts" / "check-disc"), checkout, "checkout")):
                extra = ["--out", str(work / f"{out}-{name}")] if out else []
                run = subprocess.run([command, *arguments, *extra], cwd=work, env=env,
                                     capture_output=True, text=True, timeout=900)
                results.append((run.returncode, run.stdout, run.stderr))
            return results

        # One parser: the same options, defaults and refusals.
        for arguments in (["--help"], [], ["disc.toml", "--plan", "walkthrough.json"],
                          ["--plan", "missing.json"], ["--plan", "not-a-plan.json"],
                          ["--installer-time", "0", "--plan", "missing.json"]):
            with self.subTest(arguments=arguments):
                installed_run, checkout_run = both(*arguments)
                self.assertEqual(installed_run, checkout_run)
        self.assertIn("--build-dir", both("--help")[0][1])

        # One walk-through: the same plan gives the same verdict and the same
        # steps and installer titles in both accounts.
        def account(name):
            text = (work / f"titles-{name}" / "check-disc.log").read_text(encoding="utf-8")
            steps = [line for line in text.splitlines() if re.match(r"^\d+\. ", line)]
            titles = re.findall(r"\(pid \d+\): (.*?)(?:  <-|$)", text, re.M)
            return steps, titles

        (installed_code, *_), (checkout_code, *_) = both("--titles", "--plan", str(plan), out="titles")
        self.assertEqual(installed_code, 0)
        self.assertEqual(checkout_code, 0)
        self.assertEqual(account("installed"), account("checkout"))
        self.assertTrue(account("checkout")[1])


if __name__ == "__main__":
    unittest.main()
