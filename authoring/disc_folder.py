"""Lays out the disc folder: SETUP.EXE and AUTORUN.INF at the root, the
author's files, and per component and language its folder with the waiter,
its Tarrywin.INI (in the language's code page, CRLF) and the installer: the
component's own, or the stand-in with a standin.ini watching the same title."""
import os
import shutil
from pathlib import Path

from .code_pages import encoding

AUTORUN = b"[autorun]\r\nopen=SETUP.EXE\r\nicon=SETUP.EXE\r\n"


def ini_value(text):
    """The value to write so that GetPrivateProfileStringA reads back text:
    it drops the blanks around a value and one pair of quotes enclosing it,
    so such a text goes in (one more pair of) quotes. A line break cannot be
    written at all (ValueError)."""
    if any(ch in text for ch in "\r\n\0"):
        raise ValueError("a value cannot hold a line break")
    if text != text.strip() or (len(text) > 1 and text[0] in "\"'" and text[-1] == text[0]):
        return f'"{text}"'
    return text


def tarrywin_ini(title, code_page):
    return f"[CHECK]\r\nSTRING={ini_value(title)}\r\n".encode(encoding(code_page))


def standin_ini(template, title, code_page):
    """The template with title= placed under its [standin] header, CRLF."""
    lines = template.read_text(encoding="utf-8").splitlines()
    out, placed = [], False
    for line in lines:
        if line.strip().lower().startswith("title="):
            continue
        out.append(line)
        if line.strip().lower() == "[standin]":
            out.append("title=" + ini_value(title))
            placed = True
    if not placed:
        out += ["[standin]", "title=" + ini_value(title)]
    return ("\r\n".join(out) + "\r\n").encode(encoding(code_page))


def clear(folder):
    if folder.is_dir():
        # A demo run may have left the folder read-only, as on a real disc.
        for here, _, _ in os.walk(folder):
            os.chmod(here, 0o755)
        shutil.rmtree(folder)


def disc_path(root, windows_path):
    return Path(root, *windows_path.split("\\"))


def lay_out(disc, folder, setup_exe, waiter, standin):
    """Writes the disc folder afresh; returns the component folders that got
    the stand-in installer."""
    clear(folder)
    if disc.files:
        shutil.copytree(disc.files, folder)
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copyfile(setup_exe, folder / "SETUP.EXE")
    if not any(p.name.lower() == "autorun.inf" for p in folder.iterdir()):
        (folder / "AUTORUN.INF").write_bytes(AUTORUN)
    standins = []
    for component in disc.components:
        for lang in disc.languages:
            target = disc_path(folder, component.folders[lang.key])
            target.mkdir(parents=True, exist_ok=True)
            title = component.titles[lang.key]
            shutil.copyfile(waiter, target / "Tarrywin.exe")
            (target / "Tarrywin.INI").write_bytes(tarrywin_ini(title, lang.code_page))
            installer = component.installers.get(lang.key)
            if installer:
                shutil.copytree(installer, target, dirs_exist_ok=True)
            else:
                shutil.copyfile(standin, target / "setup.exe")
                (target / "standin.ini").write_bytes(
                    standin_ini(disc.standin_template, title, lang.code_page))
                standins.append(component.folders[lang.key])
    return standins
