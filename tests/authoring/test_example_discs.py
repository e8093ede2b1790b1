"""Every disc under discs/ builds with scripts/make-disc: SETUP.EXE, the disc
folder, the ISO and a walk-through plan that names every language.

    KIT_PROGRAMS=<build>/disc-kit/programs.txt KIT_SHIPPED_SETUP=<build>/SETUP.EXE

Each disc's SETUP.EXE is the shipped launcher's code with other resources:
every section but the resources is the shipped program's, byte for byte.
"""
import json
import os
import re
import shutil
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
                self.assertEqual(run.stdout.count("not signed: no certificate"), 1, run.stdout)
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


class AwkwardFolderNames(unittest.TestCase):
    """A disc folder or build folder whose name a shell would act on builds
    like any other and runs nothing: no program the kit starts is handed a
    command line."""

    NAMES = ["demo$(touch ran-dollar)", "demo`touch ran-backquote`", "demo \"quoted\" 'x'; touch ran-semicolon"]

    def test_names_run_nothing(self):
        for name in self.NAMES:
            with self.subTest(name=name), tempfile.TemporaryDirectory() as tmp:
                tmp = Path(tmp)
                # The demo manifest names the committed pictures two folders up.
                (tmp / "launcher").symlink_to(REPO / "launcher")
                shutil.copytree(REPO / "discs" / "demo", tmp / "discs" / name)
                out = tmp / "out" / name
                run = subprocess.run(["/usr/bin/python3", str(REPO / "scripts" / "make-disc"),
                                      str(tmp / "discs" / name / "disc.toml"), "--build-dir", str(out),
                                      "--programs", os.environ["KIT_PROGRAMS"]],
                                     capture_output=True, text=True, cwd=tmp)
                self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
                self.assertEqual((out / "disc" / "SETUP.EXE").read_bytes(),
                                 Path(os.environ["KIT_SHIPPED_SETUP"]).read_bytes())
                self.assertEqual(sorted(p.name for p in tmp.rglob("ran-*")), [])


    def test_no_command_line_reaches_a_shell(self):
        # make-disc, check-disc and what they run start every program with an
        # argument list; a command line for a shell would put names back in
        # its reach.
        shell = re.compile(r"shell\s*=\s*True|os\.system\(|os\.popen\(|[\"'](?:ba)?sh[\"'],\s*[\"']-c[\"']")
        sources = sorted((REPO / "authoring").glob("*.py")) + sorted((REPO / "scripts").glob("*.py")) + [
            REPO / "scripts" / "check-disc", REPO / "scripts" / "make-disc"]
        for source in sources:
            with self.subTest(source=source.name):
                self.assertEqual(shell.findall(source.read_text(encoding="utf-8")), [])


class MissingTools(unittest.TestCase):
    """Without xorriso the disc folder is still built and one line says what
    is missing; a manifest that asks for signatures without osslsigncode
    builds nothing and says so in one line."""

    def run_without_tools(self, *extra):
        out = Path(self.tmp.name) / "out"
        # A PATH with openssl only (the manifest check reads the certificate
        # with it): neither xorriso nor osslsigncode (nor git: the epoch is
        # given).
        tools = Path(self.tmp.name) / "bin"
        tools.mkdir(exist_ok=True)
        if not (tools / "openssl").exists():
            os.symlink(shutil.which("openssl"), tools / "openssl")
        env = {"PATH": str(tools), "SOURCE_DATE_EPOCH": "1262304000", "LANG": "C.UTF-8",
               "KIT_TEST_SIGNING_PASSWORD": "kit-test"}
        run = subprocess.run(["/usr/bin/python3", str(REPO / "scripts" / "make-disc"),
                              str(REPO / "discs" / "demo" / "disc.toml"), "--build-dir", str(out),
                              "--programs", os.environ["KIT_PROGRAMS"], *extra],
                             capture_output=True, text=True, env=env)
        return run, out

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)

    def test_no_xorriso(self):
        from authoring.build import NO_XORRISO
        run, out = self.run_without_tools()
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertEqual(run.stdout.count(NO_XORRISO), 1, run.stdout)
        self.assertEqual((out / "disc" / "SETUP.EXE").read_bytes(),
                         Path(os.environ["KIT_SHIPPED_SETUP"]).read_bytes())
        self.assertFalse((out / "disc.iso").exists())
        self.assertTrue((out / "walkthrough.json").is_file())

    def test_no_osslsigncode_for_a_signed_disc(self):
        from authoring.build import NO_OSSLSIGNCODE
        tmp = Path(self.tmp.name)
        key, cert, certificate = tmp / "key.pem", tmp / "cert.pem", tmp / "test.pfx"
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=Disc kit test", "-addext", "extendedKeyUsage=codeSigning",
                        "-keyout", key, "-out", cert], check=True, capture_output=True)
        subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", certificate,
                        "-passout", "pass:kit-test"], check=True, capture_output=True)
        run, out = self.run_without_tools("--sign-certificate", str(certificate),
                                          "--sign-password-env", "KIT_TEST_SIGNING_PASSWORD")
        self.assertEqual(run.returncode, 1, run.stdout + run.stderr)
        self.assertEqual(run.stderr.strip(), f"make-disc: {NO_OSSLSIGNCODE}")
        self.assertFalse((out / "disc").exists())
        self.assertFalse((out / "disc.iso").exists())


def certificate_table_size(path):
    """The size of a program's certificate table (data directory 4): 0 unsigned."""
    import struct
    data = path.read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    return struct.unpack_from("<I", data, pe + 24 + 96 + 4 * 8 + 4)[0]


class SignedDisc(unittest.TestCase):
    """With a certificate, SETUP.EXE and every Tarrywin.exe on the disc are
    signed (osslsigncode, through authoring/signing.py) before the ISO is made."""

    def test_programs_on_the_disc_are_signed(self):
        manifest = REPO / "discs" / "orbit-ja" / "disc.toml"
        with tempfile.TemporaryDirectory() as tmp:
            tmp = Path(tmp)
            key, cert, pfx = tmp / "key.pem", tmp / "cert.pem", tmp / "test.pfx"
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                            "-subj", "/CN=Disc kit test", "-keyout", key, "-out", cert],
                           check=True, capture_output=True)
            subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", pfx,
                            "-passout", "pass:kit-test"], check=True, capture_output=True)
            env = dict(os.environ, KIT_TEST_SIGNING_PASSWORD="kit-test")
            run = subprocess.run(["/usr/bin/python3", str(REPO / "scripts" / "make-disc"), str(manifest),
                                  "--build-dir", str(tmp / "out"), "--programs", os.environ["KIT_PROGRAMS"],
                                  "--sign-certificate", str(pfx), "--sign-password-env",
                                  "KIT_TEST_SIGNING_PASSWORD"], capture_output=True, text=True, env=env)
            self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
            self.assertNotIn("not signed", run.stdout)
            programs = [tmp / "out" / "disc" / "SETUP.EXE"] + sorted((tmp / "out" / "disc").rglob("Tarrywin.exe"))
            self.assertEqual(len(programs), 5)
            for program in programs:
                with self.subTest(program=str(program)):
                    self.assertGreater(certificate_table_size(program), 0)


if __name__ == "__main__":
    unittest.main()
