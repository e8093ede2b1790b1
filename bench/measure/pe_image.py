"""The parts of a PE image that the size report needs: the section table
(as i686-w64-mingw32-objdump -h prints it) and the resource data by type."""
import struct
import subprocess

RESOURCE_TYPES = {1: "CURSOR", 2: "BITMAP", 3: "ICON", 4: "MENU", 5: "DIALOG",
                  6: "STRING", 7: "FONTDIR", 8: "FONT", 9: "ACCELERATOR",
                  10: "RCDATA", 11: "MESSAGETABLE", 12: "GROUP_CURSOR",
                  14: "GROUP_ICON", 16: "VERSION", 24: "MANIFEST"}


def sections(path):
    """[(name, size)] from objdump -h, in file order."""
    out = subprocess.run(["i686-w64-mingw32-objdump", "-h", path], check=True,
                         capture_output=True, text=True).stdout
    found = []
    for line in out.splitlines():
        fields = line.split()
        if len(fields) >= 7 and fields[0].isdigit():
            found.append((fields[1], int(fields[2], 16)))
    return found


def _resource_section(data):
    e_lfanew = struct.unpack_from("<I", data, 0x3C)[0]
    machine, count, _, _, _, optional_size, _ = struct.unpack_from("<HHIIIHH", data, e_lfanew + 4)
    optional = e_lfanew + 24
    resource_rva, _ = struct.unpack_from("<II", data, optional + 96 + 2 * 8)
    table = optional + optional_size
    for i in range(count):
        name, vsize, rva, raw_size, raw_offset = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if rva <= resource_rva < rva + max(vsize, raw_size):
            return rva, raw_offset
    return None, None


def resources_by_type(path):
    """{type name: (count, bytes of data)} over every resource of the image."""
    with open(path, "rb") as f:
        data = f.read()
    section_rva, section_offset = _resource_section(data)
    if section_rva is None:
        return {}

    def directory(offset):
        named, ids = struct.unpack_from("<HH", data, section_offset + offset + 12)
        for k in range(named + ids):
            name, target = struct.unpack_from("<II", data, section_offset + offset + 16 + 8 * k)
            yield name, target

    def type_name(name):
        if name & 0x80000000:
            at = section_offset + (name & 0x7FFFFFFF)
            length = struct.unpack_from("<H", data, at)[0]
            return data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
        return RESOURCE_TYPES.get(name, str(name))

    def leaves(target):
        if target & 0x80000000:
            for _, child in directory(target & 0x7FFFFFFF):
                yield from leaves(child)
        else:
            rva, size = struct.unpack_from("<II", data, section_offset + target)
            yield size

    totals = {}
    for name, target in directory(0):
        sizes = list(leaves(target))
        totals[type_name(name)] = (len(sizes), sum(sizes))
    return totals
