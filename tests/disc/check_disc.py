#!/usr/bin/env python3
"""Checks the assembled installation disc, as a folder and as an ISO image:

- the root holds SETUP.EXE (the built launcher) and an AUTORUN.INF that
  starts it and takes its icon;
- every component (tessera, quillon, kxtwain) has a folder per language
  (w95e, w95f, w95g) with the built waiter as Tarrywin.exe, a Tarrywin.INI
  naming a window title, and a setup.exe; where setup.exe is the stand-in,
  its standin.ini opens a window with exactly that title;
- within a language, no two components watch for the same title (a waiter
  would otherwise end on another installer's window);
- every program that the launcher's install scripts start is on the disc;
- the ISO carries volume id INSTALLDISC, its Joliet tree (what Windows reads)
  holds the folder's files with their names and contents, and its plain ISO
  9660 tree holds them under valid 8.3 names.

    check_disc.py DISC_FOLDER DISC_ISO SETUP_EXE TARRYWIN_EXE STANDIN_EXE
"""
import configparser
import filecmp
import os
import re
import subprocess
import sys
import tempfile

COMPONENTS = ("tessera", "quillon", "kxtwain")
LANGUAGES = ("w95e", "w95f", "w95g")
VOLUME_ID = "INSTALLDISC"

problems = []


def problem(text):
    problems.append(text)


def read_ini(path):
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    parser.optionxform = str.lower
    with open(path, encoding="latin-1") as ini:
        parser.read_file(ini)
    return {section.lower(): dict(parser.items(section)) for section in parser.sections()}


def files_under(folder):
    """Relative paths of every file under folder, with '/' separators."""
    found = set()
    for here, _, names in os.walk(folder):
        for name in names:
            found.add(os.path.relpath(os.path.join(here, name), folder).replace(os.sep, "/"))
    return found


def entry(folder, name):
    """The path of folder's entry named name, letter case aside, or None."""
    if not os.path.isdir(folder):
        return None
    for found in os.listdir(folder):
        if found.lower() == name.lower():
            return os.path.join(folder, found)
    return None


def resolve(root, relative):
    """A disc path as Windows finds it: each step matched without case."""
    path = root
    for step in re.split(r"[\\/]", relative):
        path = entry(path, step)
        if path is None:
            return None
    return path


def launcher_commands(setup_exe):
    """The e commands of the launcher's string table (UTF-16 in the file)."""
    with open(setup_exe, "rb") as f:
        data = f.read()
    commands = set()
    for start in (0, 1):
        text = data[start:len(data) - (len(data) - start) % 2].decode("utf-16-le", "replace")
        commands.update(re.findall(r"e/([A-Za-z0-9_\\./ -]+?);", text))
    return sorted(commands)


def check_folder(disc, setup_exe, tarrywin_exe, standin_exe):
    setup = entry(disc, "SETUP.EXE")
    if not setup or not filecmp.cmp(setup, setup_exe, shallow=False):
        problem("SETUP.EXE at the root is not the built launcher")
    autorun = entry(disc, "AUTORUN.INF")
    if not autorun:
        problem("no AUTORUN.INF at the root")
    else:
        section = read_ini(autorun).get("autorun", {})
        for key in ("open", "icon"):
            if section.get(key, "").upper() != "SETUP.EXE":
                problem(f"AUTORUN.INF: {key}={section.get(key)!r}, not SETUP.EXE")

    for language in LANGUAGES:
        titles = {}
        for component in COMPONENTS:
            where = f"{component}/{language}"
            folder = resolve(disc, where)
            if not folder:
                problem(f"{where}: missing")
                continue
            waiter = entry(folder, "Tarrywin.exe")
            if not waiter or not filecmp.cmp(waiter, tarrywin_exe, shallow=False):
                problem(f"{where}: Tarrywin.exe is not the built waiter")
            ini = entry(folder, "Tarrywin.INI")
            title = read_ini(ini).get("check", {}).get("string", "") if ini else ""
            if not title:
                problem(f"{where}: no Tarrywin.INI with [CHECK] STRING=")
            elif title in titles:
                problem(f"{where}: watches for {title!r}, as {titles[title]} does")
            titles[title] = where
            installer = entry(folder, "setup.exe")
            if not installer:
                problem(f"{where}: no setup.exe")
                continue
            with open(installer, "rb") as f:
                if f.read(2) != b"MZ":
                    problem(f"{where}: setup.exe is not a Windows program")
            if filecmp.cmp(installer, standin_exe, shallow=False):
                standin = entry(folder, "standin.ini")
                shown = read_ini(standin).get("standin", {}).get("title") if standin else None
                if shown != title:
                    problem(f"{where}: the stand-in opens {shown!r}, the waiter watches for {title!r}")

    commands = launcher_commands(setup_exe)
    if len(commands) != len(COMPONENTS) * len(LANGUAGES):
        problem(f"expected one command per component and language in SETUP.EXE, found {commands}")
    for command in commands:
        if not resolve(disc, command):
            problem(f"the launcher starts {command}, which is not on the disc")


def xorriso(*args):
    """xorriso's report; some of it (-pvd_info) comes on stderr."""
    run = subprocess.run(["xorriso", *args], check=True, capture_output=True, text=True)
    return run.stdout + run.stderr


def iso_tree(iso, read_fs, *options):
    """(files, folders) of one of the image's trees, from xorriso -find."""
    listing = xorriso("-read_fs", read_fs, *options, "-indev", iso, "-find", "/", "-exec", "lsdl")
    files, folders = set(), set()
    for line in listing.splitlines():
        m = re.match(r"^([d-])\S*\s.*?'/(.+)'$", line)
        if m:
            (folders if m.group(1) == "d" else files).add(m.group(2))
    return files, folders


ISO_8_3 = re.compile(r"^[A-Z0-9_]{1,8}(\.[A-Z0-9_]{0,3})?;1$")
ISO_FOLDER = re.compile(r"^[A-Z0-9_]{1,8}$")


def check_iso(disc, iso):
    if not os.path.isfile(iso):
        problem(f"no ISO image at {iso}")
        return
    volume = re.search(r"^Volume id\s*:\s*'(.*)'", xorriso("-indev", iso, "-pvd_info"), re.M)
    if not volume or volume.group(1) != VOLUME_ID:
        problem(f"volume id {volume.group(1) if volume else None!r}, not {VOLUME_ID}")

    wanted = files_under(disc)
    joliet, _ = iso_tree(iso, "norock")
    if joliet != wanted:
        problem(f"Joliet tree differs from the folder: missing {sorted(wanted - joliet)}, "
                f"extra {sorted(joliet - wanted)}")

    plain, folders = iso_tree(iso, "ecma119", "-ecma119_map", "unmapped")
    wanted_plain = {name.upper() + ";1" for name in wanted}
    if plain != wanted_plain:
        problem(f"ISO 9660 tree differs: missing {sorted(wanted_plain - plain)}, "
                f"extra {sorted(plain - wanted_plain)}")
    for name in plain:
        if not ISO_8_3.match(name.split("/")[-1]):
            problem(f"ISO 9660 name {name} is not 8.3")
    for name in folders:
        if not ISO_FOLDER.match(name.split("/")[-1]):
            problem(f"ISO 9660 folder {name} is not a valid name")

    with tempfile.TemporaryDirectory() as scratch:
        xorriso("-osirrox", "on", "-indev", iso, "-extract", "/", scratch)
        for name in sorted(wanted):
            extracted = os.path.join(scratch, name)
            if not os.path.isfile(extracted) or not filecmp.cmp(
                    extracted, os.path.join(disc, name), shallow=False):
                problem(f"{name} in the image differs from the folder")
        for folder, _, _ in os.walk(scratch):
            os.chmod(folder, 0o755)   # so the scratch folder can go


def main():
    if len(sys.argv) != 6:
        sys.exit(__doc__)
    disc, iso, setup_exe, tarrywin_exe, standin_exe = sys.argv[1:]
    if not os.path.isdir(disc):
        sys.exit(f"no disc folder at {disc}")
    check_folder(disc, setup_exe, tarrywin_exe, standin_exe)
    check_iso(disc, iso)
    for text in problems:
        print("FAIL:", text)
    if problems:
        sys.exit(1)
    print(f"disc layout: {len(files_under(disc))} files, folder and ISO agree")


if __name__ == "__main__":
    main()
