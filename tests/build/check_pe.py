#!/usr/bin/env python3
"""Checks that a shipped program is a Windows 95-era i386 GUI executable:
PE32 for i386, GUI subsystem version 4.0, imports only from the five system
DLLs (and only the functions that the allowed list names for each DLL, when a
list is given; never by ordinal), no C runtime DLL, and no instruction newer
than the i486.

    check_pe.py [--allowed windows95_imports.txt] program.exe ...
"""
import re
import subprocess
import sys

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll"}
# Instructions the i486 does not have (Pentium and later), and the registers
# of MMX, SSE and AVX, whatever instruction names them. The multi-byte NOP
# (nopw/nopl with an operand) is a Pentium Pro instruction that the assembler
# may use for alignment padding.
NEWER_THAN_I486 = re.compile(
    r"\s(cmov\w*|fcmov\w*|fcomi\w*|fucomi\w*|cpuid|rdtscp?|cmpxchg8b|cmpxchg16b|"
    r"sysenter|sysexit|syscall|sysret|rdpmc|rdmsr|wrmsr|rsm|movq|movd|emms|femms|"
    r"fxsave|fxrstor|fisttp\w*|prefetch\w*|movnti|popcnt|lzcnt|tzcnt|movbe|crc32\w*|"
    r"rdrand|rdseed|xgetbv|pause|lfence|sfence|mfence|clflush|ud2|nop[lw]\s)"
    r"|%[xyz]?mm\d|%k[0-7]\b")


def objdump(*args):
    return subprocess.run(["i686-w64-mingw32-objdump", *args], check=True,
                          capture_output=True, text=True).stdout


def imports(headers):
    """{dll: [functions]} from objdump -p output. An import by ordinal is
    listed as "ordinal <n>", which no allowed list names."""
    result, dll = {}, None
    for line in headers.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            result[dll] = []
            continue
        if not line.strip():
            dll = None   # the DLL's member list ends with an empty line
            continue
        if dll is None:
            continue
        m = re.match(r"\s+[0-9a-f]+\s+(\d+\s+)?([A-Za-z_]\w*)$", line)
        if m:
            result[dll].append(m.group(2))
            continue
        m = re.match(r"\s+[0-9a-f]+\s+(\d+)\s+<none>$", line)
        if m:
            result[dll].append(f"ordinal {m.group(1)}")
    return result


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
    headers = objdump("-p", path)
    if "file format pei-i386" not in headers:
        problems.append("not a PE32 i386 file")
    if not re.search(r"^Subsystem\s+00000002", headers, re.M):
        problems.append("not a GUI program")
    major = re.search(r"^MajorSubsystemVersion\s+(\d+)", headers, re.M)
    minor = re.search(r"^MinorSubsystemVersion\s+(\d+)", headers, re.M)
    if not major or (int(major.group(1)), int(minor.group(1))) > (4, 0):
        problems.append("subsystem version above 4.0")
    for dll, functions in imports(headers).items():
        if dll not in ALLOWED_DLLS:
            problems.append(f"imports {dll}")
            continue
        if allowed_functions is not None:
            for f in functions:
                if f not in allowed_functions.get(dll, set()):
                    problems.append(f"imports {dll}!{f}, not on the Windows 95 list")
    for line in objdump("-d", path).splitlines():
        m = NEWER_THAN_I486.search(line)
        if m:
            problems.append(f"instruction newer than the i486: {line.strip()}")
            break
    return problems


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
