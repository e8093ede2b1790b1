#!/usr/bin/env python3
"""Checks that a shipped program is a Windows 95-era i386 GUI executable:
PE32 for i386, GUI subsystem version 4.0, imports only from the five system
DLLs (and only functions on the allowed list when one is given), no C runtime
DLL, and no instruction newer than the i486."""
import re
import subprocess
import sys

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "shell32.dll"}
# Instructions the i486 does not have (Pentium and later).
NEWER_THAN_I486 = re.compile(
    r"\s(cmov\w*|fcmov\w*|fcomi\w*|fucomi\w*|cpuid|rdtsc|cmpxchg8b|sysenter|"
    r"rdpmc|movq|emms|\w*xmm\w*|pause|lfence|sfence|mfence|ud2)\b")


def objdump(*args):
    return subprocess.run(["i686-w64-mingw32-objdump", *args], check=True,
                          capture_output=True, text=True).stdout


def imports(headers):
    """{dll: [functions]} from objdump -p output."""
    result, dll = {}, None
    for line in headers.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            result[dll] = []
            continue
        m = re.match(r"\s+[0-9a-f]+\s+(\d+\s+)?([A-Za-z_]\w*)$", line)
        if dll and m:
            result[dll].append(m.group(2))
    return result


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
                if f not in allowed_functions:
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
        with open(args[1]) as f:
            allowed = {l.split("#")[0].strip() for l in f} - {""}
        args = args[2:]
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
