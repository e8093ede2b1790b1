"""PURPOSE: reads a Windows program's headers, section table and resource tree
from its bytes: the one reader the kit, its tests and the benchmarks share.

Every read is bounded by the file: a truncated or damaged program raises
PeFormatError naming where, never struct.error or a read past the end."""
import struct
from dataclasses import dataclass

# Indices in the optional header's data directories.
DIRECTORY_EXPORT, DIRECTORY_IMPORT, DIRECTORY_RESOURCE = 0, 1, 2
DIRECTORY_SECURITY, DIRECTORY_DEBUG = 4, 6

MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B
# The optional header's fields after its magic, where the PE32 layout
# places them (a PE32+ header has another layout: see PeImage.magic).
_SUBSYSTEM_VERSION_AT, _SUBSYSTEM_AT, _DIRECTORY_COUNT_AT, _DIRECTORIES_AT = 48, 68, 92, 96


class PeFormatError(ValueError):
    """The bytes are not a PE image, or not a whole one."""


@dataclass(frozen=True)
class Section:
    name: str
    virtual_address: int
    virtual_size: int
    raw_offset: int
    raw_size: int

    def holds(self, rva):
        """Whether the address lies in this section and in its bytes in the file."""
        start = self.virtual_address
        return start <= rva < start + max(self.virtual_size, self.raw_size) and rva - start < self.raw_size


class PeImage:
    """The headers of a PE image held in memory. pe_offset is e_lfanew, the
    offset of the "PE\\0\\0" signature; optional_offset that of the optional
    header; section_table_offset that of the first section header."""

    def __init__(self, data):
        self.data = data
        if bytes(data[:2]) != b"MZ":
            raise PeFormatError("no MZ header")
        self.pe_offset = self.unpack("<I", 0x3C)[0]
        if bytes(data[self.pe_offset:self.pe_offset + 4]) != b"PE\0\0":
            raise PeFormatError("no PE signature")
        coff = self.pe_offset + 4
        (self.machine, section_count, self.time_date_stamp, _, _,
         optional_size, self.characteristics) = self.unpack("<HHIIIHH", coff)
        self.optional_offset = coff + 20
        self.magic = self.unpack("<H", self.optional_offset)[0]
        self.section_table_offset = self.optional_offset + optional_size
        self.sections = []
        for i in range(section_count):
            name, vsize, rva, raw_size, raw = self.unpack("<8sIIII", self.section_table_offset + 40 * i)
            self.sections.append(Section(name.rstrip(b"\0").decode("latin-1"), rva, vsize, raw, raw_size))
        self.directories = []
        if self.magic == PE32_MAGIC:
            optional = self.optional_offset
            self.major_subsystem, self.minor_subsystem = self.unpack("<HH", optional + _SUBSYSTEM_VERSION_AT)
            self.subsystem = self.unpack("<H", optional + _SUBSYSTEM_AT)[0]
            count = min(self.unpack("<I", optional + _DIRECTORY_COUNT_AT)[0], 16)
            self.directories = [self.unpack("<II", optional + _DIRECTORIES_AT + 8 * i) for i in range(count)]

    @classmethod
    def read(cls, path):
        with open(path, "rb") as f:
            return cls(f.read())

    def unpack(self, form, offset):
        if offset < 0 or offset + struct.calcsize(form) > len(self.data):
            raise PeFormatError(f"truncated at offset {offset:#x}")
        return struct.unpack_from(form, self.data, offset)

    def directory(self, index):
        """(rva, size) of a data directory; (0, 0) for one the image lacks."""
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def directory_entry_offset(self, index):
        """The file offset of a data directory's (rva, size) pair (PE32)."""
        return self.optional_offset + _DIRECTORIES_AT + 8 * index

    def section_of(self, rva):
        for section in self.sections:
            if section.holds(rva):
                return section
        raise PeFormatError(f"address {rva:#x} is in no section")

    def offset(self, rva):
        """The file offset of a relative virtual address."""
        section = self.section_of(rva)
        return section.raw_offset + rva - section.virtual_address

    # The resource tree: three levels of tables (type, name, language), each
    # a 16-byte header (its TimeDateStamp at 4, counts of named and numbered
    # entries at 12) and 8-byte entries; an entry's high bit marks a name (a
    # counted UTF-16 string) or a subtable, offsets from the tree's start.

    def resource_offset(self):
        """The file offset of the resource tree; None when there is none."""
        rva = self.directory(DIRECTORY_RESOURCE)[0]
        return self.offset(rva) if rva else None

    def _resource_label(self, value):
        if value & 0x80000000:
            at = self.resource_offset() + (value & 0x7FFFFFFF)
            length = self.unpack("<H", at)[0]
            if at + 2 + 2 * length > len(self.data):
                raise PeFormatError(f"resource name at offset {at:#x} runs past the end of the file")
            return bytes(self.data[at + 2:at + 2 + 2 * length]).decode("utf-16-le")
        return value

    def resource_table_offsets(self):
        """The file offset of every table of the resource tree, root first."""
        root = self.resource_offset()
        if root is None:
            return []
        found, pending = [], [0]
        while pending:
            at = root + pending.pop(0)
            found.append(at)
            named, ids = self.unpack("<HH", at + 12)
            for i in range(named + ids):
                child = self.unpack("<I", at + 16 + 8 * i + 4)[0]
                if child & 0x80000000:
                    pending.append(child & 0x7FFFFFFF)
        return found

    def resource_entries(self):
        """{(type, name, language): file offset of its data entry}; types and
        names as numbers or strings as written (the system compares strings
        without case)."""
        root = self.resource_offset()
        entries = {}
        if root is None:
            return entries

        def walk(offset, path):
            at = root + offset
            named, ids = self.unpack("<HH", at + 12)
            for i in range(named + ids):
                name, target = self.unpack("<II", at + 16 + 8 * i)
                key = path + (self._resource_label(name),)
                if target & 0x80000000:
                    walk(target & 0x7FFFFFFF, key)
                else:
                    entries[key] = root + target
        walk(0, ())
        return entries

    def resource_data(self, entry_offset):
        """The bytes of the resource whose data entry is at entry_offset."""
        rva, size = self.unpack("<II", entry_offset)
        at = self.offset(rva)
        if at + size > len(self.data):
            raise PeFormatError(f"resource data at {rva:#x} runs past the end of the file")
        return bytes(self.data[at:at + size])
