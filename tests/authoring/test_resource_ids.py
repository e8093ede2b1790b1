"""What reaches the resource script: each language's command strings in
string-table blocks of their own, and manifest texts that cannot leave their
string literals, checked through the real resource compiler."""
import shutil
import struct
import subprocess
import tempfile
import unittest
from pathlib import Path

from PIL import Image

from authoring import commands, palette, rc_compiler, resource_script
from authoring.build import load
from tests.authoring.sample import MANIFEST, SampleDisc

REPO = Path(__file__).resolve().parents[2]
WINDRES = shutil.which("i686-w64-mingw32-windres") or "windres"


def many_steps(count):
    steps = ", ".join(f'{{ copy = "manuals", to = "App\\\\Manuals{i}" }}' for i in range(count))
    return MANIFEST.replace('steps = [ { component = "app" }, { copy = "manuals", to = "App\\\\Manuals" } ]',
                            f"steps = [ {steps} ]")


def res_entries(data):
    """(type, name, language, bytes) of each resource in a .res file."""
    def ident(offset):
        if struct.unpack_from("<H", data, offset)[0] == 0xFFFF:
            return struct.unpack_from("<H", data, offset + 2)[0], offset + 4
        end = offset
        while struct.unpack_from("<H", data, end)[0]:
            end += 2
        return data[offset:end].decode("utf-16-le"), end + 2
    offset, found = 0, []
    while offset < len(data):
        size, header = struct.unpack_from("<II", data, offset)
        rtype, at = ident(offset + 8)
        name, at = ident(at)
        at = (at + 3) & ~3
        language = struct.unpack_from("<H", data, at + 6)[0]
        body = offset + header
        if size or rtype:
            found.append((rtype, name, language, data[body:body + size]))
        offset = (body + size + 3) & ~3
    return found


def compile_script(text, folder, files=None):
    """Compiles text with the files it names (small stand-ins, but real
    bitmaps, palette, icon and manifest) and returns the resources."""
    folder = Path(folder)
    if files:
        bitmap = palette.bmp_bytes(Image.new("RGB", (4, 2)))
        for value in files.values():
            for name in value.values() if isinstance(value, dict) else ():
                (folder / name).write_bytes(bitmap)
        (folder / files["palette"]).write_bytes(palette.palette_bytes())
        shutil.copyfile(REPO / "launcher" / "resources" / "launcher.ico", folder / files["icon"])
        (folder / files["manifest"]).write_text("<assembly/>")
    (folder / "disc.rc").write_text(text, encoding="utf-8")
    done = subprocess.run([WINDRES, "-O", "res", "-I", str(folder), str(folder / "disc.rc"),
                           str(folder / "disc.res")], capture_output=True, text=True)
    if done.returncode:
        raise AssertionError(f"the resource compiler refused the script:\n{done.stderr}")
    return res_entries((folder / "disc.res").read_bytes())


def string_blocks(entries):
    """String-table block number -> the languages that have it."""
    blocks = {}
    for rtype, name, language, _ in entries:
        if rtype == 6:
            blocks.setdefault(name, set()).add(language)
    return blocks


def script_files(disc):
    files = {"palette": "p.bin", "icon": "i.ico", "manifest": "m.xml"}
    for lang in disc.languages:
        files[lang.key] = {"background": f"{lang.key}_bg.bmp"}
        files[lang.key].update({b.number: f"{lang.key}_{b.number}.bmp" for b in disc.buttons})
    return files


class StringBlocks(unittest.TestCase):
    def test_no_block_holds_two_languages(self):
        for count in (2, 93, 120, 400):
            with self.subTest(steps=count), SampleDisc(many_steps(count)) as sample:
                disc, report = load(sample.manifest)
                self.assertIsNone(report)
                owners = {}
                for lang in disc.languages:
                    strings, scripts = commands.language_scripts(disc, lang)
                    self.assertEqual(len(strings), count)
                    self.assertEqual([i for _, ids in scripts for i in ids], [i for i, _ in strings])
                    for string_id, _ in strings:
                        block = string_id // commands.BLOCK
                        self.assertEqual(owners.setdefault(block, lang.key), lang.key,
                                         f"string {string_id} of {lang.key} in block {block}")

    def test_compiled_blocks_have_one_language_each(self):
        with SampleDisc(many_steps(120)) as sample, tempfile.TemporaryDirectory() as tmp:
            disc, _ = load(sample.manifest)
            files = script_files(disc)
            entries = compile_script(resource_script.resource_script(disc, files), tmp, files)
            blocks = string_blocks(entries)
            self.assertGreaterEqual(len(blocks), 2 * 120 // 16)
            self.assertEqual({b: l for b, l in blocks.items() if len(l) > 1}, {})

    def test_the_demo_keeps_its_ids(self):
        disc, _ = load(REPO / "discs" / "demo" / "disc.toml")
        self.assertEqual([lang.string_base for lang in disc.languages], [100, 200, 300])

    def test_too_many_steps_for_the_ids_is_a_mistake(self):
        with SampleDisc(many_steps(33000)) as sample:
            _, report = load(sample.manifest)
            self.assertIn("beyond 65535", report)


class ScriptInjection(unittest.TestCase):
    TEXTS = ['a "b" c', "back\\slash\\", "two\nlines\r\n", "*/ 9 RCDATA \"/etc/hostname\" /*",
             "esc\x1b del\x7f nul\x00 end", "tab\there é 日本"]

    def test_texts_come_back_as_written(self):
        for text in self.TEXTS:
            with self.subTest(text=text), tempfile.TemporaryDirectory() as tmp:
                script = ("#pragma code_page(65001)\nLANGUAGE 9, 1\nSTRINGTABLE\nBEGIN\n"
                          f"    1 {resource_script.quoted(text)}\nEND\n")
                (entry,) = compile_script(script, tmp)
                length = struct.unpack_from("<H", entry[3], 2)[0]
                self.assertEqual(entry[3][4:4 + 2 * length].decode("utf-16-le"), text)
                # The kit's own compiler reads the literal as the resource compiler does.
                self.assertEqual(rc_compiler.compile_script(Path(tmp) / "disc.rc", script),
                                 {(6, 1, 0x409): entry[3]})

    def test_a_language_name_cannot_add_resources(self):
        text = MANIFEST.replace('name = "Spanish"', 'name = "Spanish */ 9 RCDATA \\"/etc/hostname\\" /*"')
        with SampleDisc(text) as sample, tempfile.TemporaryDirectory() as tmp:
            disc, report = load(sample.manifest)
            self.assertIsNone(report)
            files = script_files(disc)
            entries = compile_script(resource_script.resource_script(disc, files), tmp, files)
        self.assertNotIn(10, {rtype for rtype, _, _, _ in entries})


if __name__ == "__main__":
    unittest.main()
