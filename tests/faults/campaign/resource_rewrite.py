"""PURPOSE: rewriting resource data in a copy of a PE image (read with the
kit's PE reader).

The resource tree of the original stays where it is; each replaced resource
gets its new bytes in one added section at the end of the image, and its data
entry is pointed there. Nothing in the tree moves or is re-sorted, so the
loader finds every resource exactly as in the original, only with other
bytes (an empty replacement stands for a resource cut to nothing)."""
import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", ".."))
from authoring.pe_image import PeImage  # noqa: E402

RT_BITMAP, RT_DIALOG, RT_STRING = 2, 5, 6
_SECTION_ALIGN, _FILE_ALIGN = 0x1000, 0x200
_ADDED = b".fault\0\0"


def _align(value, unit):
    return (value + unit - 1) // unit * unit


class Image:
    """A PE image whose resources can be read and replaced."""

    def __init__(self, data):
        self.data = bytearray(data)
        self.headers = PeImage(bytes(data))
        self.pe = self.headers.pe_offset
        self.sections = len(self.headers.sections)
        self.optional = self.headers.optional_offset
        self.table = self.headers.section_table_offset
        self.entries = self.headers.resource_entries()  # (type, name, language) -> offset of the data entry

    def find(self, rtype, name):
        """The (type, name, language) keys of a resource, every language."""
        return [k for k in self.entries if k[0] == rtype and k[1] == name]

    def read(self, key):
        return self.headers.resource_data(self.entries[key])

    def rewrite(self, replacements):
        """A new image with {key: bytes} replaced; this one is unchanged."""
        out = bytearray(self.data)
        last = self.table + 40 * (self.sections - 1)
        _, vsize, rva, raw_size, raw = struct.unpack_from("<8sIIII", out, last)
        new_rva = _align(rva + max(vsize, raw_size), _SECTION_ALIGN)
        new_raw = _align(max(len(out), raw + raw_size), _FILE_ALIGN)
        if self.table + 40 * (self.sections + 1) > struct.unpack_from(
                "<I", out, self.optional + 60)[0]:
            raise ValueError("no room for another section header")
        body = bytearray()
        for key, blob in replacements.items():
            struct.pack_into("<II", out, self.entries[key], new_rva + len(body), len(blob))
            body += blob
            body += b"\0" * (_align(len(body), 8) - len(body))
        body += b"\0" * 8  # a section is never empty
        size = _align(len(body), _FILE_ALIGN)
        out += b"\0" * (new_raw - len(out))
        out += body + b"\0" * (size - len(body))
        struct.pack_into("<8sIIIIIIHHI", out, self.table + 40 * self.sections, _ADDED,
                         len(body), new_rva, size, new_raw, 0, 0, 0, 0,
                         0x40000040)  # initialized data, readable
        struct.pack_into("<H", out, self.pe + 6, self.sections + 1)
        struct.pack_into("<I", out, self.optional + 56,
                         _align(new_rva + len(body), _SECTION_ALIGN))
        return bytes(out)


def string_block(strings):
    """An RT_STRING block from its 16 strings (str or None for absent)."""
    out = bytearray()
    for text in strings:
        units = (text or "").encode("utf-16-le")
        out += struct.pack("<H", len(units) // 2) + units
    return bytes(out)


def parse_string_block(blob):
    strings, at = [], 0
    for _ in range(16):
        if at + 2 > len(blob):
            strings.append(None)
            continue
        length = struct.unpack_from("<H", blob, at)[0]
        strings.append(blob[at + 2:at + 2 + 2 * length].decode("utf-16-le", "replace"))
        at += 2 + 2 * length
    return strings
