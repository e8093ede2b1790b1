"""Puts a disc's resources into a copy of the prebuilt launcher: the
resource section (.rsrc) is added as the last section, and the headers that
describe the image follow it (section count and table, SizeOfImage,
SizeOfInitializedData, the resource data directory, the checksum).

The layout is the one Windows 95's loader takes: the section starts on the
image's section alignment in memory and its file alignment on disk, and the
section's flags are those the linker gives a resource section.
"""
import array
import struct
import sys
from .errors import PeError  # noqa: F401 (raised and caught as pe_writer.PeError)

RESOURCE_DIRECTORY = 2
SECTION_FLAGS = 0xC0000040      # initialized data, readable, writable
DATA_ALIGNMENT = 8



def align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


def sort_key(label):
    # Named entries come before numbered ones, each in ascending order, as
    # the loader's binary search expects.
    return (1, label, "") if isinstance(label, int) else (0, 0, label)


def resource_section(resources, virtual_address):
    """The .rsrc section's bytes for {(type, name, language): bytes}, its
    data placed for the section's address virtual_address."""
    tree = {}
    for (rtype, name, language), data in resources.items():
        tree.setdefault(rtype, {}).setdefault(name, {})[language] = data

    tables = []          # (offset placeholder index, [(label, kind, target)])

    def table(entries):
        tables.append(entries)
        return len(tables) - 1

    leaves = []          # data in the order it is laid out

    def leaf(data):
        leaves.append(data)
        return len(leaves) - 1

    root = table([])
    for rtype in sorted(tree, key=sort_key):
        names = table([])
        tables[root].append((rtype, "table", names))
        for name in sorted(tree[rtype], key=sort_key):
            languages = table([])
            tables[names].append((name, "table", languages))
            for language in sorted(tree[rtype][name]):
                tables[languages].append((language, "leaf", leaf(tree[rtype][name][language])))

    # Directory tables, then the data entries, then the names, then the data.
    table_offsets, offset = [], 0
    for entries in tables:
        table_offsets.append(offset)
        offset += 16 + 8 * len(entries)
    entries_at = offset
    offset += 16 * len(leaves)
    label_offsets, labels = {}, bytearray()
    for entries in tables:
        for label, _, _ in entries:
            if isinstance(label, str) and label not in label_offsets:
                label_offsets[label] = offset + len(labels)
                text = label.encode("utf-16-le")
                labels += struct.pack("<H", len(text) // 2) + text
    offset = align(offset + len(labels), DATA_ALIGNMENT)
    data_offsets, data = [], bytearray()
    for payload in leaves:
        data_offsets.append(offset + len(data))
        data += payload
        data += b"\0" * (-len(data) % DATA_ALIGNMENT)

    out = bytearray()
    for entries in tables:
        named = sum(isinstance(label, str) for label, _, _ in entries)
        out += struct.pack("<IIHHHH", 0, 0, 0, 0, named, len(entries) - named)
        for label, kind, target in entries:
            word = (0x80000000 | label_offsets[label]) if isinstance(label, str) else label
            pointer = (0x80000000 | table_offsets[target]) if kind == "table" else entries_at + 16 * target
            out += struct.pack("<II", word, pointer)
    for index, payload in enumerate(leaves):
        out += struct.pack("<IIII", virtual_address + data_offsets[index], len(payload), 0, 0)
    out += labels
    out += b"\0" * (-len(out) % DATA_ALIGNMENT)
    out += data
    return bytes(out)


def checksum(image, checksum_at):
    """The PE image checksum (the one the loader checks for drivers and
    signing tools recompute): 16-bit sums with carry, plus the length."""
    body = image[:checksum_at] + b"\0\0\0\0" + image[checksum_at + 4:]
    if len(body) % 2:
        body += b"\0"
    words = array.array("H", body)
    if sys.byteorder == "big":
        words.byteswap()
    # Folding the carries once at the end gives the same sum as folding
    # them after every word.
    total = sum(words)
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def with_resources(launcher, resources):
    """The launcher's bytes with the resources as its resource section."""
    image = bytearray(launcher)
    try:
        if image[:2] != b"MZ":
            raise PeError("no MZ header")
        pe = struct.unpack_from("<I", image, 0x3C)[0]
        if image[pe:pe + 4] != b"PE\0\0":
            raise PeError("no PE header")
        count, = struct.unpack_from("<H", image, pe + 6)
        optional_size, = struct.unpack_from("<H", image, pe + 20)
        optional = pe + 24
        if struct.unpack_from("<H", image, optional)[0] != 0x10B:
            raise PeError("not a 32-bit program")
        section_alignment, file_alignment = struct.unpack_from("<II", image, optional + 32)
        headers_size, = struct.unpack_from("<I", image, optional + 60)
        directories, = struct.unpack_from("<I", image, optional + 92)
        if directories <= RESOURCE_DIRECTORY:
            raise PeError("no resource data directory")
        directory_at = optional + 96 + 8 * RESOURCE_DIRECTORY
        if struct.unpack_from("<II", image, directory_at) != (0, 0):
            raise PeError("it has resources already")
        table = optional + optional_size
        sections = [struct.unpack_from("<8sIIII", image, table + 40 * i) for i in range(count)]
    except struct.error:
        raise PeError("the headers are cut short") from None
    new_header = table + 40 * count
    if new_header + 40 > headers_size or any(raw and raw < new_header + 40 for *_, raw in sections):
        raise PeError("no room for another section header")
    end_of_data = max((raw + size for _, _, _, size, raw in sections), default=headers_size)
    if len(image) > end_of_data:
        raise PeError("data after the last section (a signature?)")
    virtual_end = max(address + max(vsize, size) for _, vsize, address, size, _ in sections)
    address = align(virtual_end, section_alignment)
    section = resource_section(resources, address)
    raw = align(len(image), file_alignment)
    raw_size = align(len(section), file_alignment)
    image += b"\0" * (raw - len(image))
    image += section + b"\0" * (raw_size - len(section))
    struct.pack_into("<8sIIIIIIHHI", image, new_header, b".rsrc", len(section), address,
                     raw_size, raw, 0, 0, 0, 0, SECTION_FLAGS)
    struct.pack_into("<H", image, pe + 6, count + 1)
    initialized, = struct.unpack_from("<I", image, optional + 8)
    struct.pack_into("<I", image, optional + 8, initialized + raw_size)
    struct.pack_into("<I", image, optional + 56, align(address + len(section), section_alignment))
    struct.pack_into("<II", image, directory_at, address, len(section))
    struct.pack_into("<I", image, optional + 64, checksum(bytes(image), optional + 64))
    return bytes(image)
