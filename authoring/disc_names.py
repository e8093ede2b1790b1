"""Checks every name the disc will hold before anything is written, each
mistake reported on the key that brings the name there: names that differ
only in letter case within one folder (Windows sees one name), device names
that make a copy open a device, names that a copying language's code page
cannot write, component folders inside a copied tree, and installer folders
that would replace the waiter's own files."""
import os
from dataclasses import dataclass
from typing import Optional

from .code_pages import encodes
from .disc_folder import tarrywin_ini

DEVICES = ({"con", "prn", "aux", "nul"} | {f"com{i}" for i in range(1, 10)}
           | {f"lpt{i}" for i in range(1, 10)})
WAITER_FILES = ("Tarrywin.exe", "Tarrywin.INI")
SHOWN = 5            # names listed per message; the rest are counted


@dataclass
class Entry:
    path: str            # disc path, backslashes, as written
    is_dir: bool
    key: str             # the manifest key that brings it onto the disc
    origin: str          # what it is, for messages
    author: bool = True  # False for the files the kit writes itself


def is_device(name):
    """A device name, with any extension: Windows opens the device for it."""
    return name.split(".")[0].rstrip(" ").lower() in DEVICES


def walk(folder):
    """(relative backslash path, is folder) for everything under folder."""
    for here, dirs, names in os.walk(folder):
        dirs.sort()
        rel = os.path.relpath(here, folder)
        for name in sorted(dirs) + sorted(names):
            path = name if rel == "." else os.path.join(rel, name)
            yield path.replace(os.sep, "\\"), name in dirs


def component_keys(disc, index, component, lang):
    folder = f"component[{index}].folder.{lang}"
    installer = f"component[{index}].installer" + (f".{lang}" if component.installers_by_language else "")
    return folder, installer


def entries(disc):
    """Every file and folder of the disc, with the key that brings it."""
    found = []
    files = disc.files if disc.files and disc.files.is_dir() else None
    author_root = {p.name.lower() for p in files.iterdir()} if files else set()
    found.append(Entry("SETUP.EXE", False, "disc", "the launcher SETUP.EXE that the kit writes", False))
    if "autorun.inf" not in author_root:
        found.append(Entry("AUTORUN.INF", False, "disc", "the AUTORUN.INF that the kit writes", False))
    if files:
        for path, is_dir in walk(files):
            found.append(Entry(path, is_dir, "disc.files", f"{path} in disc.files"))
    for index, component in enumerate(disc.components, 1):
        for lang, folder in component.folders.items():
            folder_key, installer_key = component_keys(disc, index, component, lang)
            parts = folder.split("\\")
            for i in range(1, len(parts) + 1):
                found.append(Entry("\\".join(parts[:i]), True, folder_key,
                                   f"component {component.id}'s folder {folder}"))
            for name in WAITER_FILES:
                found.append(Entry(f"{folder}\\{name}", False, folder_key,
                                   f"the {name} that the kit writes for component {component.id}", False))
            installer = component.installers.get(lang)
            if installer is None:
                for name in ("setup.exe", "standin.ini"):
                    found.append(Entry(f"{folder}\\{name}", False, folder_key,
                                       f"the stand-in's {name} for component {component.id}", False))
            elif installer.is_file():   # an NSIS script, built into setup.exe
                found.append(Entry(f"{folder}\\setup.exe", False, installer_key,
                                   f"the setup.exe that make-disc builds from {installer.name}", False))
            elif installer.is_dir():
                for path, is_dir in walk(installer):
                    found.append(Entry(f"{folder}\\{path}", is_dir, installer_key,
                                       f"{path} of component {component.id}'s installer"))
    return found


def listed(names):
    shown = ", ".join(repr(n) for n in names[:SHOWN])
    return shown + (f" and {len(names) - SHOWN} more" if len(names) > SHOWN else "")


def check_letter_case(found, problems):
    """Within one folder, two names equal but for letter case, or one name
    brought twice (a folder may be shared; a file may not)."""
    by_folder = {}
    for e in found:
        parent, _, name = e.path.rpartition("\\")
        by_folder.setdefault(parent.lower(), {}).setdefault(name.lower(), []).append(e)
    reported = set()
    for names in by_folder.values():
        for same in names.values():
            distinct = []
            for e in same:
                if not any(d.path == e.path and d.key == e.key and d.is_dir == e.is_dir for d in distinct):
                    distinct.append(e)
            if len(distinct) < 2:
                continue
            first = next((e for e in distinct if not e.author), distinct[0])
            for e in distinct:
                if e is first:
                    continue
                if e.path == first.path and (e.is_dir and first.is_dir or (
                        e.key.startswith("component[") and first.key.startswith("component["))):
                    continue          # one folder that both fill; shared component folders are
                                      # compared by check_component_folders
                if any(not x.author and x.path.rpartition("\\")[2] in WAITER_FILES and ".installer" in y.key
                       for x, y in ((e, first), (first, e))):
                    continue          # reported as the installer's own waiter file
                blamed = e if e.author or not first.author else first
                other = first if blamed is e else e
                if (blamed.key, blamed.path.lower()) in reported:
                    continue
                reported.add((blamed.key, blamed.path.lower()))
                if e.path == first.path:
                    problems.add(blamed.key, f"{blamed.origin}: {other.origin} ({other.key}) is there "
                                 "already under the same name; one would replace the other: rename or "
                                 "remove one")
                else:
                    problems.add(blamed.key, f"{blamed.origin}: {other.origin} ({other.key}) is the same "
                                 "name but for letter case, in one folder of the disc; Windows sees one "
                                 "name there: rename one")


def check_devices(disc, found, problems):
    reported = set()
    for e in found:
        name = e.path.rpartition("\\")[2]
        if e.author and is_device(name) and (e.key, e.origin) not in reported:
            reported.add((e.key, e.origin))
            problems.add(e.key, f"{e.origin}: {name!r} is a device name on Windows (con, prn, aux, "
                         "nul, com1-9, lpt1-9, with any extension); copying or opening it opens the "
                         "device: rename it")
    for b in disc.buttons:
        for j, step in enumerate(b.steps, 1):
            if step.kind == "copy":
                bad = [part for part in step.destination.split("\\") if part and is_device(part)]
                if bad:
                    problems.add(f"button[{b.number}].steps[{j}].to", f"{step.destination!r}: {bad[0]!r} "
                                 "is a device name on Windows: the copy would write to the device; "
                                 "choose another name")


def under(path, folder):
    path, folder = path.lower(), folder.lower()
    return path == folder or path.startswith(folder + "\\")


def check_copies(disc, found, problems):
    """What a copy step copies: every name writable in each language's code
    page (the launcher copies by ANSI names), and no component folder."""
    for b in disc.buttons:
        for j, step in enumerate(b.steps, 1):
            if step.kind != "copy" or not step.source:
                continue
            key = f"button[{b.number}].steps[{j}].copy"
            copied = [e for e in found if under(e.path, step.source)]
            code_pages = {}
            for lang in disc.languages:
                code_pages.setdefault(lang.code_page, []).append(lang.name)
            for code_page, names in code_pages.items():
                bad = []
                for e in copied:
                    try:
                        if not encodes(e.path, code_page) and e.path not in bad:
                            bad.append(e.path)
                    except LookupError:
                        break           # reported with the language
                if bad:
                    problems.add(key, f"copies {listed(bad)}, which code page {code_page} "
                                 f"({', '.join(names)}) cannot write: the copy would fail on such a "
                                 "Windows; rename them")
            for index, component in enumerate(disc.components, 1):
                for lang, folder in component.folders.items():
                    if under(folder, step.source):
                        problems.add(key, f"copies {step.source!r}, which holds component {component.id}'s "
                                     f"folder {folder!r} (component[{index}].folder.{lang}): its waiter, "
                                     "Tarrywin.INI and installer would be copied to the user's disk; "
                                     "move the component's folder out of it, or copy less")


def installer_problem(installer):
    """The waiter's own file that an installer folder holds, or None."""
    if installer is None or not installer.is_dir():
        return None
    names = {p.name.lower(): p.name for p in installer.iterdir()}
    return next((names[n.lower()] for n in WAITER_FILES if n.lower() in names), None)


def check_component_folders(disc, problems):
    """An installer folder must not bring the waiter's files, and a folder
    shared by several components or languages must get the same content."""
    contents = {}
    for index, component in enumerate(disc.components, 1):
        reported = set()
        for lang in disc.languages:
            folder = component.folders.get(lang.key)
            if folder is None:
                continue
            folder_key, installer_key = component_keys(disc, index, component, lang.key)
            installer = component.installers.get(lang.key)
            own = installer_problem(installer)
            if own and installer_key not in reported:
                reported.add(installer_key)
                shown = os.path.relpath(installer, disc.root)
                problems.add(installer_key, f"{shown} holds its own {own}, which would replace the "
                             "one the kit writes for the waiter: remove it from the installer's folder")
            try:
                ini = tarrywin_ini(component.titles.get(lang.key, ""), lang.code_page)
            except (UnicodeEncodeError, LookupError, ValueError):
                ini = None     # reported with the title
            content = (installer, ini)
            earlier = contents.setdefault(folder.lower(), (content, folder_key, component.id, lang.key))
            if earlier[0] != content and earlier[1] != folder_key:
                problems.add(folder_key, f"{folder!r} is also the folder of component {earlier[2]} in "
                             f"language {earlier[3]} ({earlier[1]}), which needs another Tarrywin.INI "
                             "or installer there: give each its own folder")


def check_disc_names(disc, problems):
    found = entries(disc)
    check_letter_case(found, problems)
    check_devices(disc, found, problems)
    check_copies(disc, found, problems)
    check_component_folders(disc, problems)
