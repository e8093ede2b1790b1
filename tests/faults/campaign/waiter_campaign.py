"""The waiter's fault campaign: the real Tarrywin.exe run over damaged
Tarrywin.INI files and component installers that misbehave, under an
English and a Japanese (code page 932) locale. Every case must end on its
own: the waiter has no window anyone could close. Prints one line per case
that did not end cleanly and "N cases, C crashes, H hangs".

    waiter_campaign.py [--seed S] [--limit MS] [--batch N]

Run by run-waiter (beside this file) under its own X display and Wine
session.
"""
import argparse
import os
import random
import shutil
import subprocess
import sys
import time

BUILD = os.environ["BUILD_DIR"]
GRACE_S = 10          # the waiter's grace once setup.exe has ended
JAPANESE = {"LANG": "ja_JP.UTF-8", "LC_ALL": "ja_JP.UTF-8"}
CRASH_CODES = 0xC0000000


def ini_kinds(rng):
    """(name, bytes of Tarrywin.INI or None for no file)."""
    binary = bytes(rng.randrange(256) for _ in range(300))
    title = lambda value: b"[CHECK]\r\nSTRING=" + value + b"\r\n"
    return [
        ("no INI", None),
        ("empty INI", b""),
        ("no STRING key", b"[CHECK]\r\nOTHER=1\r\n"),
        ("empty STRING", title(b"")),
        ("STRING of 100,000 bytes", title(b"W" * 100000)),
        ("STRING of 4,095 bytes", title(b"T" * 4095)),
        ("double-byte STRING", title("\u30bb\u30c3\u30c8\u30a2\u30c3\u30d7\u8868".encode("cp932"))),
        ("STRING ending in a lead byte", title(b"Setup \x83")),
        ("binary STRING", title(binary.replace(b"\r", b"").replace(b"\n", b""))),
        ("binary file", binary),
        ("UTF-16 file", "\ufeff[CHECK]\r\nSTRING=Unicode Setup\r\n".encode("utf-16-le")),
    ]


INSTALLERS = [
    # (name, standin.ini lines or None for no setup.exe)
    ("setup.exe missing", None),
    ("setup.exe ends at once", ["mode=exit"]),
    ("never shows the title", ["mode=window", "title=Another Title", "lifetime=2000"]),
    ("setup.exe crashes", ["mode=crash"]),
]


def windows_path(path):
    """The Windows form of a Linux path, through Wine's Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def built(*names):
    """The first of the build's files named (paths under the build folder)."""
    for name in names:
        if os.path.exists(os.path.join(BUILD, name)):
            return os.path.join(BUILD, name)
    sys.exit(f"waiter campaign: none of {names} in {BUILD}; build first")


def prepare(folder, ini, installer):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copy(built("Tarrywin.exe"), os.path.join(folder, "Tarrywin.exe"))
    if ini is not None:
        with open(os.path.join(folder, "Tarrywin.INI"), "wb") as f:
            f.write(ini)
    if installer is not None:
        shutil.copy(built(os.path.join("tests", "standin_setup.exe"), "standin_setup.exe"),
                    os.path.join(folder, "setup.exe"))
        with open(os.path.join(folder, "standin.ini"), "w", newline="\r\n") as f:
            f.write("[standin]\n" + "".join(line + "\n" for line in installer))


def verdict(code, seconds, limit_s):
    if code is None:
        return "hang", f"still running after {limit_s:.0f} s"
    unsigned = code & 0xFFFFFFFF
    # By exit code only: the installer's own crash report (setup.exe
    # inherits the waiter's standard error) is no crash of the waiter.
    if unsigned >= CRASH_CODES:
        return "crash", f"exit code 0x{unsigned:08X}"
    return "ended", f"exit code {unsigned} after {seconds:.1f} s"


def run_batch(cases, limit_s, root):
    started = []
    for number, (locale, ini_name, ini, installer_name, installer) in cases:
        folder = os.path.join(root, f"case{number}")
        prepare(folder, ini, installer)
        env = dict(os.environ, **(JAPANESE if locale == "ja" else {}))
        process = subprocess.Popen(["wine", windows_path(os.path.join(folder, "Tarrywin.exe"))],
                                   env=env, cwd=folder, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        started.append((number, f"{locale}, {ini_name}, {installer_name}", process, time.monotonic()))
    results = []
    deadline = time.monotonic() + limit_s
    for number, what, process, start in started:
        try:
            process.communicate(timeout=max(0.1, deadline - time.monotonic()))
            code = process.returncode
        except subprocess.TimeoutExpired:
            process.kill()
            process.communicate()
            code = None
        results.append((number, what) + verdict(code, time.monotonic() - start, limit_s))
    # A hanging waiter's setup.exe (and anything else of the batch) goes too.
    subprocess.run(["wine", "taskkill", "/f", "/im", "setup.exe"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wine", "taskkill", "/f", "/im", "tarrywin.exe"], stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return results


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--limit", type=int, default=(GRACE_S + 20) * 1000, help="ms a case may take")
    parser.add_argument("--batch", type=int, default=11, help="cases run at once")
    options = parser.parse_args()
    rng = random.Random(options.seed)
    kinds = ini_kinds(rng)
    cases = [(locale, ini_name, ini, installer_name, installer)
             for locale in ("en", "ja") for ini_name, ini in kinds
             for installer_name, installer in INSTALLERS]
    numbered = list(enumerate(cases, 1))
    root = os.path.join(BUILD, "faults", "waiter")
    results = []
    began = time.monotonic()
    for first in range(0, len(numbered), options.batch):
        results += run_batch(numbered[first:first + options.batch], options.limit / 1000, root)
    crashes = [r for r in results if r[2] == "crash"]
    hangs = [r for r in results if r[2] == "hang"]
    ended = [r for r in results if r[2] == "ended"]
    for number, what, kind, detail in results:
        if kind != "ended":
            print(f"  case {number} ({what}): {kind}, {detail}")
    codes = {}
    for _, _, _, detail in ended:
        code = detail.split()[2]
        codes[code] = codes.get(code, 0) + 1
    print("  ended with exit code " + ", ".join(f"{code}: {count}" for code, count in sorted(codes.items())))
    longest = max((float(d.split(" after ")[1].split()[0]) for _, _, _, d in ended), default=0)
    print(f"Waiter campaign, seed {options.seed}: {len(results)} cases "
          f"({len(kinds)} INI files x {len(INSTALLERS)} installers x 2 locales), "
          f"{len(crashes)} crashes, {len(hangs)} hangs; the longest case that ended took {longest:.1f} s "
          f"(grace {GRACE_S} s); {time.monotonic() - began:.0f} s in all")
    return 1 if crashes or hangs else 0


if __name__ == "__main__":
    sys.exit(main())
