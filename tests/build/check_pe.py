#!/usr/bin/env python3
"""Checks that a shipped program is a Windows 95-era i386 GUI executable:
PE32 for i386, GUI subsystem version 4.0, imports only from the five system
DLLs (and only the functions that the allowed list names for each DLL, when a
list is given; never by ordinal), no C runtime DLL, and no instruction newer
than the i486. Headers and imports are read from the file itself; only the
disassembly comes from objdump.

    check_pe.py [--allowed windows95_imports.txt] program.exe ...
"""
import re
import struct
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2]))
from authoring.pe_image import PE32_MAGIC, PeFormatError as PeError, PeImage  # noqa: E402

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll"}
# Instructions the i486 does not have (Pentium and later), and the registers
# of MMX, SSE and AVX, whatever instruction names them. The multi-byte NOP
# (nopw/nopl with an operand) is a Pentium Pro instruction that the assembler
# may use for alignment padding.
NEWER_MNEMONIC = re.compile(
    r"cmov\w*|fcmov\w*|fcomi\w*|fucomi\w*|cpuid|rdtscp?|cmpxchg8b|cmpxchg16b|"
    r"sysenter|sysexit|syscall|sysret|rdpmc|rdmsr|wrmsr|rsm|movq|movd|emms|femms|"
    r"fxsave|fxrstor|fisttp\w*|prefetch\w*|movnti|popcnt|lzcnt|tzcnt|movbe|crc32\w*|"
    r"rdrand|rdseed|xgetbv|pause|lfence|sfence|mfence|clflush|ud2")
NEWER_REGISTER = re.compile(r"%[xyz]?mm\d|%k[0-7]\b")
PREFIXES = {"lock", "rep", "repz", "repe", "repnz", "repne", "data16", "data32",
            "addr16", "addr32", "cs", "ds", "es", "fs", "gs", "ss", "notrack", "bnd"}


def objdump(*args):
    return subprocess.run(["i686-w64-mingw32-objdump", *args], check=True,
                          capture_output=True, text=True).stdout


class Pe:
    """The headers (through the kit's PE reader) and the import table of a
    PE file, read from the file itself so that no tool's output layout
    matters."""

    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        self.image = PeImage(self.data)
        self.machine, self.magic = self.image.machine, self.image.magic
        if self.magic != PE32_MAGIC:   # PE32+ headers have another layout
            return
        self.major_subsystem, self.minor_subsystem = self.image.major_subsystem, self.image.minor_subsystem
        self.subsystem = self.image.subsystem
        self.directories = self.image.directories

    def u16(self, offset):
        return self.at(offset, "<H")

    def u32(self, offset):
        return self.at(offset, "<I")

    def at(self, offset, form):
        return self.image.unpack(form, offset)[0]

    def offset(self, rva):
        return self.image.offset(rva)

    def string(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise PeError(f"unterminated name at {rva:#x}")
        return self.data[start:end].decode("latin-1")

    def imports(self):
        """{dll: [functions]}; an import by ordinal is "ordinal <n>", which no
        allowed list names."""
        result = {}
        if len(self.directories) < 2 or not self.directories[1][0]:
            return result
        descriptor = self.offset(self.directories[1][0])
        while True:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, descriptor)
            if not (lookup or name or thunks):
                return result
            functions = result.setdefault(self.string(name).lower(), [])
            entry = self.offset(lookup or thunks)
            while True:
                thunk = self.u32(entry)
                if not thunk:
                    break
                if thunk & 0x80000000:
                    functions.append(f"ordinal {thunk & 0xFFFF}")
                else:
                    functions.append(self.string(thunk + 2))   # after the hint
                entry += 4
            descriptor += 20


def read_allowed(path):
    """{dll: {functions}} from a list with [dll] sections and one function
    name a line; '#' starts a comment."""
    allowed, dll = {}, None
    with open(path) as f:
        for number, raw in enumerate(f, 1):
            line = raw.split("#")[0].strip()
            if not line:
                continue
            m = re.fullmatch(r"\[(\S+)\]", line)
            if m:
                dll = m.group(1).lower()
                allowed.setdefault(dll, set())
            elif dll is None or not re.fullmatch(r"[A-Za-z_]\w*", line):
                raise SystemExit(f"{path}:{number}: expected [dll] or a function name")
            else:
                allowed[dll].add(line)
    return allowed


def check(path, allowed_functions):
    problems = []
    try:
        pe = Pe(path)
    except (OSError, PeError, struct.error) as error:
        return [f"not a PE file: {error}"]
    if pe.machine != 0x14C or pe.magic != 0x10B:
        return ["not a PE32 i386 file"]
    if pe.subsystem != 2:
        problems.append("not a GUI program")
    if (pe.major_subsystem, pe.minor_subsystem) > (4, 0):
        problems.append("subsystem version above 4.0")
    try:
        imported = pe.imports()
    except (PeError, struct.error) as error:
        return problems + [f"import table unreadable: {error}"]
    # Every Windows program imports at least ExitProcess; none found means
    # the table was not read, and then nothing above would have been checked.
    if not any(imported.values()):
        problems.append("no imported function found")
    for dll, functions in imported.items():
        if dll not in ALLOWED_DLLS:
            problems.append(f"imports {dll}")
            continue
        if allowed_functions is not None:
            for f in functions:
                if f not in allowed_functions.get(dll, set()):
                    problems.append(f"imports {dll}!{f}, not on the Windows 95 list")
    instructions = 0
    for mnemonic, operands, line in disassembly(path):
        instructions += 1
        if NEWER_MNEMONIC.fullmatch(mnemonic) or NEWER_REGISTER.search(operands) or (
                mnemonic.startswith("nop") and operands):
            problems.append(f"instruction newer than the i486: {line.strip()}")
            break
    if not instructions:
        problems.append("no instruction found to check")
    return problems


def disassembly(path):
    """(mnemonic, operands, line) of every instruction objdump finds in the
    code sections. objdump prints an instruction as "address:<TAB>bytes<TAB>
    text"; a line with bytes only continues the one before it. Prefixes
    (lock, rep, data16, ...) stand before the mnemonic they modify."""
    for line in objdump("-d", "--wide", path).splitlines():
        fields = line.split("\t")
        if len(fields) < 3 or not re.fullmatch(r"\s*[0-9a-f]+:", fields[0]):
            continue
        words = "\t".join(fields[2:]).split("#")[0].split()
        while words and words[0] in PREFIXES:
            words = words[1:]
        if words:
            yield words[0], " ".join(words[1:]), line


def main():
    args = sys.argv[1:]
    allowed = None
    if args and args[0] == "--allowed":
        allowed = read_allowed(args[1])
        args = args[2:]
    if not args:
        raise SystemExit(__doc__)
    failed = False
    for path in args:
        problems = check(path, allowed)
        for p in problems:
            print(f"{path}: {p}")
        failed |= bool(problems)
        if not problems:
            print(f"{path}: ok")
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
