"""The kit writes every SETUP.EXE itself: the prebuilt launcher with the
resources compiled from the disc's resource script. Checked here against the
cross toolchain's resource compiler (the same script compiled by it, resource
by resource: type, name, language and bytes), for every disc under discs/,
the sample disc and one with awkward texts; the shipped SETUP.EXE against the
resource set committed under launcher/resources/; and each program read back
with pefile as Windows 95's loader would take it.

    KIT_WINDRES=<resource compiler> KIT_PROGRAMS=<build>/disc-kit/programs.txt
    KIT_SHIPPED_SETUP=<build>/SETUP.EXE KIT_DEMO_SETUP=<build>/discs/demo/SETUP.EXE
"""
import os
import shutil
import struct
import subprocess
import tempfile
import unittest
from pathlib import Path

import pefile

from authoring import pe_writer, programs, rc_compiler
from authoring.build import load, write_resources
from authoring.setup_exe import write_setup
from tests.authoring.sample import MANIFEST, SampleDisc

REPO = Path(__file__).resolve().parents[2]
AWKWARD = (MANIFEST.replace('name = "Sample"', 'name = "Sample \\"Pro\\" C:\\\\Tools\\\\ 100%"')
           .replace('confirmation = { en = "Installing App."',
                    'confirmation = { en = "Installing \\"App\\"\\n\\tinto C:\\\\App; a & b é ü ç ™"'))


def read_res(path):
    """{(type, name, language): bytes} of a .res file, names as stored."""
    data = Path(path).read_bytes()
    found, position = {}, 0

    def label(at):
        if struct.unpack_from("<H", data, at)[0] == 0xFFFF:
            return struct.unpack_from("<H", data, at + 2)[0], at + 4
        end = at
        while data[end:end + 2] != b"\0\0":
            end += 2
        return data[at:end].decode("utf-16-le"), end + 2

    while position < len(data):
        size, header = struct.unpack_from("<II", data, position)
        rtype, at = label(position + 8)
        name, at = label(at)
        at += -(at - position) % 4
        language = struct.unpack_from("<H", data, at + 6)[0]
        if size or header != 32:
            found[(rtype, name, language)] = data[position + header:position + header + size]
        position += header + size
        position += -position % 4
    return found


def read_pe_resources(pe):
    """{(type, name, language): bytes} of a program read by pefile, names as
    stored in its resource directory."""
    def label(entry):
        return str(entry.name) if entry.name is not None else entry.id

    found = {}
    for rtype in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        for name in rtype.directory.entries:
            for language in name.directory.entries:
                entry = language.data.struct
                found[(label(rtype), label(name), language.id)] = pe.get_data(entry.OffsetToData, entry.Size)
    return found


def windres(script, out):
    # Run in the script's folder with plain names: the resource compiler
    # hands its input to a shell.
    subprocess.run([os.environ["KIT_WINDRES"], "-O", "res", "-I", ".", script.name, out.name],
                   cwd=script.parent, check=True, capture_output=True)
    return read_res(out)


class Equivalence(unittest.TestCase):
    """Each disc's resources as the kit writes them are those the resource
    compiler makes from the same script."""

    def setUp(self):
        self.launcher = programs.read_recipe(os.environ["KIT_PROGRAMS"])["launcher"]

    def assert_same_resources(self, expected, program):
        made = read_pe_resources(pefile.PE(str(program)))
        self.assertEqual(sorted(map(str, made)), sorted(map(str, expected)))
        for key, data in expected.items():
            with self.subTest(resource=key):
                self.assertEqual(made[key], data)

    def check_manifest(self, manifest):
        disc, report = load(manifest)
        self.assertIsNone(report)
        with tempfile.TemporaryDirectory() as out:
            out = Path(out)
            script, _ = write_resources(disc, out / "resources")
            write_setup(self.launcher, script, out / "SETUP.EXE")
            expected = windres(script, out / "resources" / "disc.res")
            self.assertGreater(len(expected), 20)
            self.assert_same_resources(expected, out / "SETUP.EXE")

    def test_every_disc_under_discs(self):
        manifests = sorted(REPO.glob("discs/*/disc.toml"))
        self.assertTrue(manifests)
        for manifest in manifests:
            with self.subTest(disc=manifest.parent.name):
                self.check_manifest(manifest)

    def test_sample_and_awkward_texts(self):
        for name, text in (("sample", MANIFEST), ("awkward", AWKWARD)):
            with self.subTest(disc=name), SampleDisc(text) as sample:
                self.check_manifest(sample.manifest)

    def test_shipped_setup_holds_the_committed_resource_set(self):
        with tempfile.TemporaryDirectory() as out:
            resources = Path(out) / "resources"
            shutil.copytree(REPO / "launcher" / "resources", resources)
            expected = windres(resources / "launcher.rc", resources / "launcher.res")
        types = {t for t, _, _ in expected}
        self.assertTrue({"LANG", "BUTTON", "INST", "PALETTE", 2, 3, 5, 6, 14, 16, 24}.issubset(types), types)
        self.assert_same_resources(expected, os.environ["KIT_SHIPPED_SETUP"])

    def test_shipped_setup_is_the_demo_discs(self):
        self.assertEqual(Path(os.environ["KIT_SHIPPED_SETUP"]).read_bytes(),
                         Path(os.environ["KIT_DEMO_SETUP"]).read_bytes())


class ScriptsItDoesNotRead(unittest.TestCase):
    """What the compiler cannot read stops it with the file and line, never
    a resource it guessed at."""

    def test_refusals(self):
        cases = [("LANGUAGE 9, 1\n\n1 MENU\nBEGIN\nEND\n", "x.rc:3: MENU resources are not supported"),
                 ("1 DIALOG 0, 0, 10, 10\nSTYLE WS_NEWFANGLED\nBEGIN\nEND\n",
                  "x.rc:2: expected a number or a known name, found 'WS_NEWFANGLED'"),
                 ('1 BITMAP "missing.bmp"\n', "x.rc:1: cannot read .*missing.bmp"),
                 ("STRINGTABLE\nBEGIN\n    1 \"a\"\n    1 \"b\"\nEND\n", "string 1 is defined twice"),
                 ("1 DIALOG 0, 0, 10, 10\nBEGIN\n    EDITTEXT 5, 1, 1, 8, 8\nEND\n",
                  "x.rc:3: expected a control"),
                 ("1 LANG { 1, 2\n", "expected END"),
                 ('1 24 "a.xml"\n1 24 "a.xml"\n', "defined twice")]
        with tempfile.TemporaryDirectory() as folder:
            (Path(folder) / "a.xml").write_text("<assembly/>")
            for text, message in cases:
                with self.subTest(message), self.assertRaisesRegex(rc_compiler.ScriptError, message):
                    rc_compiler.compile_script(Path(folder) / "x.rc", text)


def align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


class Windows95Image(unittest.TestCase):
    """The written programs read back as the loader reads them."""

    def programs(self):
        launcher = programs.read_recipe(os.environ["KIT_PROGRAMS"])["launcher"]
        return launcher, [Path(os.environ["KIT_SHIPPED_SETUP"])]

    def test_headers_sections_and_checksum(self):
        launcher, made = self.programs()
        bare = pefile.PE(str(launcher))
        for program in made:
            with self.subTest(program=program.name):
                pe = pefile.PE(str(program))
                # pefile's guess from byte counts (the bitmaps' palette index) is no fault.
                self.assertEqual([w for w in pe.get_warnings() if " makes up " not in w], [])
                self.assertEqual(pe.FILE_HEADER.Machine, 0x14C)
                self.assertEqual(pe.OPTIONAL_HEADER.Magic, 0x10B)
                self.assertEqual(pe.OPTIONAL_HEADER.Subsystem, 2)
                self.assertEqual((pe.OPTIONAL_HEADER.MajorSubsystemVersion,
                                  pe.OPTIONAL_HEADER.MinorSubsystemVersion), (4, 0))
                self.assertEqual(pe.OPTIONAL_HEADER.CheckSum, pe.generate_checksum())
                section_alignment = pe.OPTIONAL_HEADER.SectionAlignment
                file_alignment = pe.OPTIONAL_HEADER.FileAlignment
                self.assertEqual((section_alignment, file_alignment), (0x1000, 0x200))
                sections = pe.sections
                self.assertEqual([s.Name.rstrip(b"\0") for s in sections],
                                 [s.Name.rstrip(b"\0") for s in bare.sections] + [b".rsrc"])
                table_end = (pe.DOS_HEADER.e_lfanew + 24 + pe.FILE_HEADER.SizeOfOptionalHeader
                             + 40 * len(sections))
                self.assertLessEqual(table_end, pe.OPTIONAL_HEADER.SizeOfHeaders)
                expected_address = align(pe.OPTIONAL_HEADER.SizeOfHeaders, section_alignment)
                for section in sections:
                    self.assertEqual(section.VirtualAddress, expected_address, section.Name)
                    self.assertEqual(section.PointerToRawData % file_alignment, 0)
                    self.assertEqual(section.SizeOfRawData % file_alignment, 0)
                    expected_address = align(section.VirtualAddress + max(section.Misc_VirtualSize,
                                             section.SizeOfRawData), section_alignment)
                self.assertEqual(pe.OPTIONAL_HEADER.SizeOfImage, expected_address)
                rsrc = sections[-1]
                directory = pe.OPTIONAL_HEADER.DATA_DIRECTORY[2]
                self.assertEqual((directory.VirtualAddress, directory.Size),
                                 (rsrc.VirtualAddress, rsrc.Misc_VirtualSize))
                self.assertEqual(len(pe.__data__), rsrc.PointerToRawData + rsrc.SizeOfRawData)
                self.assertEqual(pe.OPTIONAL_HEADER.SizeOfInitializedData,
                                 bare.OPTIONAL_HEADER.SizeOfInitializedData + rsrc.SizeOfRawData)
                for mine, theirs in zip(sections, bare.sections):
                    self.assertEqual(mine.get_data(), theirs.get_data(), mine.Name)
                for kind in (0, 1, 12):    # exports, imports, import table: the launcher's own
                    self.assertEqual(pe.OPTIONAL_HEADER.DATA_DIRECTORY[kind].dump_dict(),
                                     bare.OPTIONAL_HEADER.DATA_DIRECTORY[kind].dump_dict())

    def test_resource_names_are_sorted_for_the_loaders_search(self):
        pe = pefile.PE(str(self.programs()[1][0]))

        def check(directory):
            named = [str(e.name) for e in directory.entries if e.name is not None]
            numbered = [e.id for e in directory.entries if e.name is None]
            self.assertEqual(named, sorted(named))
            self.assertEqual(numbered, sorted(numbered))
            self.assertEqual([e.name is None for e in directory.entries],
                             sorted(e.name is None for e in directory.entries))
            self.assertTrue(all(name == name.upper() for name in named))
            for entry in directory.entries:
                if hasattr(entry, "directory"):
                    check(entry.directory)
        check(pe.DIRECTORY_ENTRY_RESOURCE)

    def test_what_cannot_take_resources_is_refused(self):
        launcher = programs.read_recipe(os.environ["KIT_PROGRAMS"])["launcher"].read_bytes()
        shipped = Path(os.environ["KIT_SHIPPED_SETUP"]).read_bytes()
        resources = {(24, 1, 0): b"<assembly/>"}
        cases = [("not a program", b"hello", "no MZ header"),
                 ("cut short", launcher[:0x90], "cut short"),
                 ("resources already", shipped, "has resources already"),
                 ("signed (data after the sections)", launcher + b"\0" * 512, "data after the last section")]
        for what, data, message in cases:
            with self.subTest(what), self.assertRaisesRegex(pe_writer.PeError, message):
                pe_writer.with_resources(data, resources)


if __name__ == "__main__":
    unittest.main()
