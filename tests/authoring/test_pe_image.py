"""The kit's PE reader (authoring/pe_image.py) on a small program image made
here byte by byte: headers, sections, data directories and the resource tree
read back, and every damaged or cut copy refused with PeFormatError naming
where, never struct.error or bytes read past the end."""
import struct
import tempfile
import unittest
from pathlib import Path

from authoring.pe_image import (DIRECTORY_RESOURCE, DIRECTORY_SECURITY, PeFormatError,
                                PeImage)
from authoring.pe_resources import read_resources

PE_AT, SECTION_RVA, SECTION_RAW = 0x40, 0x1000, 0x200
OPTIONAL_SIZE = 224


def resource_tree():
    """One resource: type 10 (RCDATA), name "Hello", language 1033, b"abc".
    Tables at 0 (types), 0x18 (names), 0x30 (languages); the data entry at
    0x48, the name string at 0x58, the data at 0x68."""
    tree = bytearray(0x70)
    struct.pack_into("<IIHHHH", tree, 0x00, 0, 0x12345678, 0, 0, 0, 1)
    struct.pack_into("<II", tree, 0x10, 10, 0x80000000 | 0x18)
    struct.pack_into("<IIHHHH", tree, 0x18, 0, 0, 0, 0, 1, 0)
    struct.pack_into("<II", tree, 0x28, 0x80000000 | 0x58, 0x80000000 | 0x30)
    struct.pack_into("<IIHHHH", tree, 0x30, 0, 0, 0, 0, 0, 1)
    struct.pack_into("<II", tree, 0x40, 1033, 0x48)
    struct.pack_into("<IIII", tree, 0x48, SECTION_RVA + 0x68, 3, 0, 0)
    struct.pack_into("<H10s", tree, 0x58, 5, "Hello".encode("utf-16-le"))
    tree[0x68:0x6B] = b"abc"
    return bytes(tree)


def program(resource_rva=SECTION_RVA):
    data = bytearray(SECTION_RAW + 0x200)
    data[0:2] = b"MZ"
    struct.pack_into("<I", data, 0x3C, PE_AT)
    data[PE_AT:PE_AT + 4] = b"PE\0\0"
    struct.pack_into("<HHIIIHH", data, PE_AT + 4, 0x14C, 1, 0x5EED, 0, 0, OPTIONAL_SIZE, 0x102)
    optional = PE_AT + 24
    struct.pack_into("<H", data, optional, 0x10B)
    struct.pack_into("<HH", data, optional + 48, 4, 0)
    struct.pack_into("<H", data, optional + 68, 2)
    struct.pack_into("<I", data, optional + 92, 16)
    struct.pack_into("<II", data, optional + 96 + 8 * DIRECTORY_RESOURCE, resource_rva, 0x70)
    struct.pack_into("<II", data, optional + 96 + 8 * DIRECTORY_SECURITY, 0, 0x1234)
    struct.pack_into("<8sIIII", data, optional + OPTIONAL_SIZE, b".rsrc", 0x70, SECTION_RVA,
                     0x200, SECTION_RAW)
    data[SECTION_RAW:SECTION_RAW + 0x70] = resource_tree()
    return bytes(data)


class Reading(unittest.TestCase):
    def test_headers_sections_and_directories(self):
        image = PeImage(program())
        self.assertEqual((PE_AT, 0x14C, 0x5EED, 0x10B), (image.pe_offset, image.machine,
                                                         image.time_date_stamp, image.magic))
        self.assertEqual((4, 0, 2), (image.major_subsystem, image.minor_subsystem, image.subsystem))
        self.assertEqual([(".rsrc", SECTION_RVA, 0x70, SECTION_RAW, 0x200)],
                         [(s.name, s.virtual_address, s.virtual_size, s.raw_offset, s.raw_size)
                          for s in image.sections])
        self.assertEqual((0, 0x1234), image.directory(DIRECTORY_SECURITY))
        self.assertEqual((0, 0), image.directory(20))
        self.assertEqual(SECTION_RAW + 0x10, image.offset(SECTION_RVA + 0x10))

    def test_resource_tree(self):
        image = PeImage(program())
        entries = image.resource_entries()
        self.assertEqual([(10, "Hello", 1033)], list(entries))
        self.assertEqual(b"abc", image.resource_data(entries[(10, "Hello", 1033)]))
        self.assertEqual([SECTION_RAW, SECTION_RAW + 0x18, SECTION_RAW + 0x30],
                         image.resource_table_offsets())
        with tempfile.TemporaryDirectory() as tmp:
            path = Path(tmp) / "program.exe"
            path.write_bytes(program())
            # As the system looks names up: without case.
            self.assertEqual({(10, "HELLO", 1033): b"abc"}, read_resources(path))

    def test_no_resources(self):
        image = PeImage(program(resource_rva=0))
        self.assertEqual(({}, []), (image.resource_entries(), image.resource_table_offsets()))


class Refusals(unittest.TestCase):
    def test_damaged_images(self):
        whole = program()

        def replaced(at, blob):
            return whole[:at] + blob + whole[at + len(blob):]
        table = [
            ("empty file", b"", "no MZ header"),
            ("no MZ header", replaced(0, b"ZM"), "no MZ header"),
            ("e_lfanew past the end", replaced(0x3C, struct.pack("<I", 0x10000)), "no PE signature"),
            ("no PE signature", replaced(PE_AT, b"PX\0\0"), "no PE signature"),
            ("cut inside the file header", whole[:PE_AT + 10], "truncated at offset"),
            ("cut inside the optional header", whole[:PE_AT + 60], "truncated at offset"),
            ("cut inside the section table", whole[:PE_AT + 24 + OPTIONAL_SIZE + 20], "truncated at offset"),
        ]
        for name, data, message in table:
            with self.subTest(name):
                with self.assertRaises(PeFormatError) as caught:
                    PeImage(data)
                self.assertIn(message, str(caught.exception))

    def test_damaged_resource_trees(self):
        table = [
            ("resource directory in no section", program(resource_rva=0x9000), "is in no section"),
            ("cut inside the resource tree", program()[:SECTION_RAW + 0x20], "truncated at offset"),
            ("name past the end", program()[:SECTION_RAW + 0x5E], "past the end"),
            ("data past the end", program()[:SECTION_RAW + 0x69], "past the end"),
        ]
        for name, data, message in table:
            with self.subTest(name):
                with self.assertRaises(PeFormatError) as caught:
                    image = PeImage(data)
                    for entry in image.resource_entries().values():
                        image.resource_data(entry)
                self.assertIn(message, str(caught.exception))


if __name__ == "__main__":
    unittest.main()
