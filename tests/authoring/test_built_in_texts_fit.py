"""The kit's built-in message texts fit their dialogs: discs in every
built-in language laid out by the kit are made, and each message dialog
(B + 1 to B + 4) and the confirmation are created from SETUP.EXE under Wine
in that language's own locale; every static text must need no more room
than its control has (wrapped as the static control wraps it, in the
dialog's own font), every button caption must fit its button, and every
control must lie inside its dialog.

    KIT_DIALOG_FIT=<build>/tests/dialog_fit.exe
    KIT_PROGRAMS=<build>/disc-kit/programs.txt
"""
import io
import os
import tempfile
import unittest
from contextlib import redirect_stdout
from pathlib import Path

from authoring import known_texts
from authoring.make_disc import main
from tests.authoring import wine

LANGUAGE = '''
[[language]]
key = "{tag}"
name = "{name}"
primary_id = {primary}
sublanguage_id = {sub}
'''

REST = '''
[[component]]
id = "app"
folder = "app"
title = "App Setup"

[[button]]
kind = "exit"
label = "Exit"

[[button]]
label = "Install"
confirmation = { CONFIRMATIONS }
steps = [ { component = "app" } ]
'''


def laid_out_languages():
    """The built-in languages whose dialogs the kit lays out, as discs:
    one primary language id may appear once per disc."""
    discs = []
    for b in known_texts.BUILT_IN:
        if b.geometry:
            continue
        disc = next((d for d in discs if all(o.primary_id != b.primary_id for o in d)), None)
        if disc is None:
            disc = []
            discs.append(disc)
        disc.append(b)
    return discs


def manifest(languages):
    # Each confirmation in its own language: its caption and a list line.
    confirmations = ", ".join(f'{b.tag} = "{b.caption}:\\n  - {b.messages["launch_failed"]}"'
                              for b in languages)
    return ('[disc]\nvolume_id = "FIT"\n\n[product]\nname = "Fit"\n'
            + "".join(LANGUAGE.format(tag=b.tag, name=b.name, primary=b.primary_id, sub=b.sublanguage_id)
                      for b in languages)
            + REST.replace("{ CONFIRMATIONS }", "{ " + confirmations + " }"))


class BuiltInTextsFit(unittest.TestCase):
    def test_every_laid_out_language(self):
        discs = laid_out_languages()
        self.assertEqual(sum(map(len, discs)), len([b for b in known_texts.BUILT_IN if not b.geometry]))
        with tempfile.TemporaryDirectory() as tmp:
            for n, languages in enumerate(discs):
                folder = Path(tmp) / f"fit{n}"
                folder.mkdir()
                (folder / "disc.toml").write_text(manifest(languages), encoding="utf-8")
                out = folder / "build"
                with redirect_stdout(io.StringIO()):
                    code = main([str(folder / "disc.toml"), "--build-dir", str(out),
                                 "--programs", os.environ["KIT_PROGRAMS"]])
                self.assertEqual(code, 0)
                bases = {}
                base = 100
                for b in languages:
                    bases[b.tag] = base
                    base += 100
                for b in languages:
                    with self.subTest(b.name):
                        self.measure(out / "SETUP.EXE", bases[b.tag], b)

    def measure(self, setup, base, language):
        ids = [base + 1, base + 2, base + 3, base + 4, base + 50]
        result = wine.run(os.environ["KIT_DIALOG_FIT"], [wine.windows_path(setup)] + list(map(str, ids)),
                          language.locale)
        lines = result.stdout.decode("utf-8", "replace").replace("\r", "").splitlines()
        print(f"{language.name} ({language.locale}):")
        for line in lines:
            print("   ", line)
        # Every dialog has its static text and OK; B + 2 and B + 50 also Cancel.
        self.assertEqual(len(lines), 5 * 2 + 2, lines)
        cut = [line for line in lines if " fits " not in line]
        self.assertEqual(cut, [])
        self.assertEqual(result.returncode, 0)


if __name__ == "__main__":
    unittest.main()
