"""Reads the resources of a Windows program: {(type, name, language): bytes},
types and names as numbers or upper-case strings, as the system looks them up."""
import struct


def sections(data):
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count = struct.unpack_from("<H", data, pe + 6)[0]
    optional = struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional
    for i in range(count):
        name, vsize, vaddr, rsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
        yield name.rstrip(b"\0").decode(), vaddr, vsize, raw, rsize


def read_resources(path):
    data = open(path, "rb").read()
    rsrc = next(s for s in sections(data) if s[0] == ".rsrc")
    _, vaddr, _, raw, _ = rsrc

    def at(rva):
        return raw + rva - vaddr

    def label(base, value):
        if value & 0x80000000:
            offset = base + (value & 0x7FFFFFFF)
            length = struct.unpack_from("<H", data, offset)[0]
            return data[offset + 2:offset + 2 + 2 * length].decode("utf-16-le").upper()
        return value

    def directory(offset):
        named, ids = struct.unpack_from("<HH", data, offset + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", data, offset + 16 + 8 * i)
            yield label(raw, name), target

    found = {}
    for rtype, t in directory(raw):
        for rname, n in directory(raw + (t & 0x7FFFFFFF)):
            for lang, leaf in directory(raw + (n & 0x7FFFFFFF)):
                rva, size = struct.unpack_from("<II", data, raw + leaf)
                found[(rtype, rname, lang)] = data[at(rva):at(rva) + size]
    return found
