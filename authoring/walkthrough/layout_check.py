"""PURPOSE: the layout check of check-disc. Checks an assembled installation disc, as a folder and as an ISO image,
against its walk-through plan (the walkthrough.json that scripts/make-disc
writes from the disc's manifest):

- the root holds SETUP.EXE (the disc's launcher) and an AUTORUN.INF that
  starts it and takes its icon;
- every component folder that a language's install buttons run holds the
  waiter as Tarrywin.exe (the built one when given), a Tarrywin.INI naming
  the manifest's window title in the language's code page, and a setup.exe;
  where setup.exe is the stand-in, its standin.ini opens a window with
  exactly that title;
- within a language, no two components watch for the same title (a waiter
  would otherwise end on another installer's window);
- every program and copy source that the launcher's install scripts name is
  on the disc, and every waiter the launcher's command strings start is one
  of the plan's component folders;
- the ISO carries the manifest's volume id, its Joliet tree (what Windows
  reads) holds the folder's files with their names and contents, and its
  plain ISO 9660 tree holds the same files (paired through their data) under
  valid 8.3 names, as xorriso shortens longer ones.

    python3 -m authoring.walkthrough.layout_check WALKTHROUGH_JSON [--launcher SETUP.EXE] [--waiter TARRYWIN.EXE]
                  [--standin STANDIN.EXE]
"""
import argparse
import configparser
import filecmp
import json
import os
import re
import subprocess
import struct
import sys
import tempfile

from .. import code_pages
from ..pe_resources import read_resources

problems = []


def problem(text):
    problems.append(text)


def read_ini(path, encoding="latin-1"):
    parser = configparser.ConfigParser(interpolation=None, strict=False)
    parser.optionxform = str.lower
    with open(path, encoding=encoding) as ini:
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
    """The waiters that the e commands of the launcher's string tables
    start. Each table block holds 16 strings, each UTF-16 after its length;
    a string's commands are separated by ";", and each command is its
    letter, its field separator, then its fields."""
    commands = set()
    for (kind, _, _), block in read_resources(setup_exe).items():
        if kind != 6:   # RT_STRING
            continue
        at = 0
        while at + 2 <= len(block):
            length = struct.unpack_from("<H", block, at)[0]
            text = block[at + 2:at + 2 + 2 * length].decode("utf-16-le", "replace")
            at += 2 + 2 * length
            for command in text.split(";"):
                if len(command) > 2 and command[0] == "e" and \
                        re.search(r"tarrywin\.exe", command, re.I):
                    commands.add(command[2:].split(command[1])[0])
    return sorted(commands)


def components(language):
    """(folder, window title, stand-in?) of every component step, once each."""
    seen = {}
    for button in language["buttons"]:
        for step in button.get("steps", []):
            if step["kind"] == "component":
                seen.setdefault(step["folder"], (step["window"], step.get("standin", True)))
    return seen


def check_folder(plan, disc, setup_exe, tarrywin_exe, standin_exe):
    setup = entry(disc, "SETUP.EXE")
    if not setup:
        problem("no SETUP.EXE at the root")
    elif setup_exe and not filecmp.cmp(setup, setup_exe, shallow=False):
        problem("SETUP.EXE at the root is not the disc's launcher")
    autorun = entry(disc, "AUTORUN.INF")
    if not autorun:
        problem("no AUTORUN.INF at the root")
    else:
        section = read_ini(autorun).get("autorun", {})
        for key in ("open", "icon"):
            if section.get(key, "").upper() != "SETUP.EXE":
                problem(f"AUTORUN.INF: {key}={section.get(key)!r}, not SETUP.EXE")

    waiters = set()
    for language in plan["languages"]:
        encoding = code_pages.encoding(language['code_page'])
        titles = {}
        for where, (window, is_standin) in components(language).items():
            waiters.add(where.lower())
            folder = resolve(disc, where)
            if not folder:
                problem(f"{where}: missing")
                continue
            waiter = entry(folder, "Tarrywin.exe")
            if not waiter:
                problem(f"{where}: no Tarrywin.exe")
            elif tarrywin_exe and not filecmp.cmp(waiter, tarrywin_exe, shallow=False):
                problem(f"{where}: Tarrywin.exe is not the built waiter")
            ini = entry(folder, "Tarrywin.INI")
            title = read_ini(ini, encoding).get("check", {}).get("string", "") if ini else ""
            if title != window:
                problem(f"{where}: Tarrywin.INI watches for {title!r}, the manifest says {window!r}")
            if title in titles:
                problem(f"{where}: watches for {title!r}, as {titles[title]} does")
            titles[title] = where
            installer = entry(folder, "setup.exe")
            if not installer:
                problem(f"{where}: no setup.exe")
                continue
            with open(installer, "rb") as f:
                if f.read(2) != b"MZ":
                    problem(f"{where}: setup.exe is not a Windows program")
            if is_standin and standin_exe and not filecmp.cmp(installer, standin_exe, shallow=False):
                problem(f"{where}: setup.exe is not the stand-in installer")
            if is_standin:
                standin = entry(folder, "standin.ini")
                shown = read_ini(standin, encoding).get("standin", {}).get("title") if standin else None
                if shown != title:
                    problem(f"{where}: the stand-in opens {shown!r}, the waiter watches for {title!r}")
        for button in language["buttons"]:
            for step in button.get("steps", []):
                source = step.get("program") or step.get("source")
                if step["kind"] in ("run", "copy") and not resolve(disc, source):
                    problem(f"{language['key']} button {button['number']}: {source} is not on the disc")

    if setup:
        commands = launcher_commands(setup)
        if waiters and not commands:
            problem("SETUP.EXE holds no command that starts a waiter")
        for command in commands:
            folder = command.rsplit("\\", 1)[0].lower()
            if folder not in waiters:
                problem(f"the launcher starts {command}, which no install button of the plan runs")
            if not resolve(disc, command):
                problem(f"the launcher starts {command}, which is not on the disc")


def xorriso(*args):
    """xorriso's report; some of it (-pvd_info) comes on stderr."""
    run = subprocess.run(["xorriso", *args], check=True, capture_output=True, text=True)
    return run.stdout + run.stderr


def iso_tree(iso, read_fs, *options):
    """(files, folders) of one of the image's trees, from xorriso -find:
    files as {path: (first block, size)}, where the file's data lies."""
    listing = xorriso("-read_fs", read_fs, *options, "-indev", iso, "-find", "/", "-exec", "lsdl")
    folders = set()
    for line in listing.splitlines():
        m = re.match(r"^d\S*\s.*?'/(.+)'$", line)
        if m:
            folders.add(m.group(1))
    report = xorriso("-read_fs", read_fs, *options, "-indev", iso, "-find", "/", "-type", "f",
                     "-exec", "report_lba")
    files = {}
    for line in report.splitlines():
        m = re.match(r"^File data lba:\s*\d+\s*,\s*(\d+)\s*,\s*\d+\s*,\s*(\d+)\s*,\s*'/(.+)'$",
                     line)
        if m:
            files[m.group(3)] = (int(m.group(1)), int(m.group(2)))
    return files, folders


def parent(path):
    return path.rpartition("/")[0]


def pair_trees(joliet, plain):
    """Problems between the Joliet tree and the plain ISO 9660 tree of one
    image, both {path: (first block, size)}. The plain names are the ones
    xorriso chose (cut to 8.3, numbered when two would clash), so each file
    is paired with its Joliet name through its data, which both trees share;
    empty files share one block and are paired by their folders."""
    found = []
    by_data = {}
    for tree, files in ((0, joliet), (1, plain)):
        for path, data in files.items():
            by_data.setdefault(data, ([], []))[tree].append(path)
    folder_of = {}   # Joliet folder -> plain folder
    empties = ([], [])
    for (_, size), (long_names, short_names) in sorted(by_data.items()):
        if size == 0:
            empties[0].extend(long_names)
            empties[1].extend(short_names)
            continue
        if len(long_names) != 1 or len(short_names) != 1:
            found.append(f"ISO 9660 tree: {long_names or 'no Joliet file'} and "
                         f"{short_names or 'no ISO 9660 file'} share their data")
            continue
        long_folder, short_folder = parent(long_names[0]), parent(short_names[0])
        if folder_of.setdefault(long_folder, short_folder) != short_folder:
            found.append(f"ISO 9660 tree: the files of {long_folder or '/'} lie in "
                         f"{folder_of[long_folder] or '/'} and {short_folder or '/'}")
    # A folder holding only empty files has no data to pair it by: those
    # are counted together.
    mapped = set(folder_of.values())
    counts = ({}, {})
    for tree in (0, 1):
        for path in empties[tree]:
            folder = folder_of.get(parent(path)) if tree == 0 else parent(path)
            folder = folder if folder in mapped else None
            counts[tree][folder] = counts[tree].get(folder, 0) + 1
    if counts[0] != counts[1]:
        found.append(f"ISO 9660 tree: empty files {sorted(empties[1])} do not match "
                     f"the Joliet tree's {sorted(empties[0])}")
    for name in plain:
        if not ISO_8_3.match(name.split("/")[-1]):
            found.append(f"ISO 9660 name {name} is not 8.3")
    return found


ISO_8_3 = re.compile(r"^[A-Z0-9_]{1,8}(\.[A-Z0-9_]{0,3})?;1$")
ISO_FOLDER = re.compile(r"^[A-Z0-9_]{1,8}$")


def check_iso(disc, iso, volume_id):
    if not os.path.isfile(iso):
        problem(f"no ISO image at {iso}")
        return
    volume = re.search(r"^Volume id\s*:\s*'(.*)'", xorriso("-indev", iso, "-pvd_info"), re.M)
    if not volume or volume.group(1) != volume_id:
        problem(f"volume id {volume.group(1) if volume else None!r}, not {volume_id}")

    wanted = files_under(disc)
    joliet, _ = iso_tree(iso, "norock")
    if set(joliet) != wanted:
        problem(f"Joliet tree differs from the folder: missing {sorted(wanted - set(joliet))}, "
                f"extra {sorted(set(joliet) - wanted)}")

    plain, folders = iso_tree(iso, "ecma119", "-ecma119_map", "unmapped")
    for text in pair_trees(joliet, plain):
        problem(text)
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
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("plan", help="the disc's walkthrough.json")
    parser.add_argument("--launcher", help="the disc's SETUP.EXE as built")
    parser.add_argument("--waiter", help="the built Tarrywin.exe")
    parser.add_argument("--standin", help="the built stand-in installer")
    args = parser.parse_args()
    with open(args.plan, encoding="utf-8") as f:
        plan = json.load(f)
    disc = plan["disc_folder"]
    if not os.path.isdir(disc):
        sys.exit(f"no disc folder at {disc}")
    try:
        check_folder(plan, disc, args.launcher, args.waiter, args.standin)
        check_iso(disc, plan["iso"], plan["volume_id"])
    except (OSError, ValueError, KeyError, configparser.Error, struct.error,
            subprocess.CalledProcessError) as error:
        problem(f"the check could not go on: {type(error).__name__}: {error}")
    for text in problems:
        print("FAIL:", text)
    if problems:
        sys.exit(1)
    print(f"disc layout: {len(files_under(disc))} files, folder and ISO agree with the plan")


if __name__ == "__main__":
    main()
