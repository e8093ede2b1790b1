"""Every disc under discs/ builds with scripts/make-disc: SETUP.EXE, the disc
folder, the ISO and a walk-through plan that names every language.

    KIT_PROGRAMS=<build>/disc-kit/programs.txt KIT_SHIPPED_SETUP=<build>/SETUP.EXE

Each disc's SETUP.EXE is the shipped launcher's code with other resources:
every section but the resources is the shipped program's, byte for byte.
"""
import json
import os
import subprocess
import tempfile
import unittest
from pathlib import Path

from authoring.pe_resources import sections

REPO = Path(__file__).resolve().parents[2]
CODE_SECTIONS = (".text", ".data", ".rdata", ".idata")


def code_sections(path):
    data = path.read_bytes()
    return {name: data[raw:raw + size] for name, _, _, raw, size in sections(data) if name in CODE_SECTIONS}


class ExampleDiscs(unittest.TestCase):
    def test_every_manifest_builds(self):
        manifests = sorted(REPO.glob("discs/*/disc.toml"))
        self.assertTrue(manifests)
        for manifest in manifests:
            with self.subTest(disc=manifest.parent.name), tempfile.TemporaryDirectory() as out:
                run = subprocess.run(["/usr/bin/python3", str(REPO / "scripts" / "make-disc"), str(manifest),
                                      "--build-dir", out, "--programs", os.environ["KIT_PROGRAMS"]],
                                     capture_output=True, text=True)
                self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
                out = Path(out)
                for name in ("SETUP.EXE", "disc/SETUP.EXE", "disc/AUTORUN.INF", "disc.iso"):
                    self.assertTrue((out / name).is_file(), name)
                shipped = code_sections(Path(os.environ["KIT_SHIPPED_SETUP"]))
                self.assertEqual(sorted(shipped), sorted(CODE_SECTIONS))
                self.assertEqual(code_sections(out / "SETUP.EXE"), shipped)
                plan = json.loads((out / "walkthrough.json").read_text(encoding="utf-8"))
                self.assertEqual(plan["name"], manifest.parent.name)
                self.assertEqual(Path(plan["iso"]), out / "disc.iso")
                for language in plan["languages"]:
                    for button in language["buttons"]:
                        for step in button.get("steps", []):
                            if step["kind"] == "component":
                                folder = out / "disc" / Path(*step["folder"].split("\\"))
                                self.assertTrue((folder / "Tarrywin.exe").is_file(), folder)
                                self.assertTrue((folder / "Tarrywin.INI").is_file(), folder)
                    self.assertTrue(language["locale"])
                listing = subprocess.run(["xorriso", "-indev", str(out / "disc.iso"), "-find", "/",
                                          "-name", "SETUP.EXE"], capture_output=True, text=True).stdout
                self.assertIn("/SETUP.EXE", listing)


if __name__ == "__main__":
    unittest.main()
