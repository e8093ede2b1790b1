"""Checks a Disc before anything is written: every mistake found, with its
manifest key and how to fix it."""
import difflib
import os
import re

from . import commands, disc_names
from .code_pages import encodes, encoding, unwritable_characters

# Joliet names: up to 64 characters, none of these; the plain ISO 9660 tree
# gets 8.3 names made by xorriso, which Windows does not read.
JOLIET_FORBIDDEN = set('*/:;?\\"<>|')
VOLUME_ID = re.compile(r"^[A-Z0-9_]{1,32}$")
MAX_DEPTH = 7        # ISO 9660: eight levels, the root among them
RANGE = 100          # each language owns B .. B + 99 of every type


def unwritable(texts, code_page):
    """The characters of texts that code_page lacks, each once, quoted."""
    return ", ".join(repr(ch) for ch in unwritable_characters(texts, code_page))


def nearest_entry(name, entries, is_dir=None):
    """The disc's path closest to a mistyped one, as a hint, or ""."""
    candidates = [path for path, folder in entries.items() if is_dir is None or folder == is_dir]
    close = difflib.get_close_matches(name.lower(), candidates, n=1, cutoff=0.6)
    return f"; did you mean {close[0]!r}?" if close else ""


def bad_name(segment):
    if not segment:
        return "an empty name (two backslashes in a row?)"
    if len(segment) > 64:
        return f"{segment!r} is longer than the 64 characters a Joliet name may have"
    wrong = sorted({ch for ch in segment if ch in JOLIET_FORBIDDEN or ord(ch) < 32})
    if wrong:
        return f"{segment!r} holds {''.join(wrong)!r}, which disc names cannot hold"
    if segment[-1] in ". ":
        return f"{segment!r} ends with a dot or space, which Windows drops"
    return None


def disc_entries(disc):
    """Every file and folder the disc will hold, as lower-case backslash paths
    mapped to whether each is a folder: disc_names.entries, the one model of
    the disc's entries, with each entry's folders."""
    entries = {}
    for entry in disc_names.entries(disc):
        parts = entry.path.lower().split("\\")
        for i in range(1, len(parts)):
            entries["\\".join(parts[:i])] = True
        entries[entry.path.lower()] = entry.is_dir
    return entries


def check_ids(disc, problems):
    installs = len([b for b in disc.buttons if b.kind == "install"])
    seen = {}
    for i, lang in enumerate(disc.languages, 1):
        key = f"language[{i}]"
        if lang.primary_id in seen:
            problems.add(f"{key}.primary_id", f"{lang.primary_id} is also the id of language "
                         f"{seen[lang.primary_id]}; each language needs its own primary id")
        seen[lang.primary_id] = lang.key
        if not 1 <= lang.dialog_base <= 65535 - RANGE:
            problems.add(f"{key}.dialog_base", f"{lang.dialog_base} is out of range (1 to {65535 - RANGE})")
        if not 1 <= lang.script_base <= 65535 - installs:
            problems.add(f"{key}.script_base", f"{lang.script_base} is out of range")
        for other in disc.languages[:i - 1]:
            if abs(other.dialog_base - lang.dialog_base) < RANGE:
                problems.add(f"{key}.dialog_base", f"{lang.dialog_base} overlaps language {other.key}'s "
                             f"ids {other.dialog_base} to {other.dialog_base + RANGE - 1}; bases must be "
                             f"{RANGE} apart (or leave dialog_base out)")
            if other.script_base < lang.script_base + installs and lang.script_base < other.script_base + installs:
                problems.add(f"{key}.script_base", f"scripts {lang.script_base} to {lang.script_base + installs - 1} "
                             f"overlap language {other.key}'s {other.script_base} to "
                             f"{other.script_base + installs - 1} (or leave script_base out)")
        last = lang.string_base + commands.string_count(disc) - 1
        if last > commands.LAST_STRING_ID:
            problems.add(key, f"its command strings would need ids up to {last}, beyond "
                         f"{commands.LAST_STRING_ID}: fewer steps, or fewer languages")
    if len(disc.buttons) > 51:
        problems.add("button", f"{len(disc.buttons)} buttons: a menu has at most 51 "
                     "(confirmation dialogs B + 50 to B + 99)")
    controls = {}
    for b in disc.buttons:
        if not 1 <= b.control_id <= 32767:
            problems.add(f"button[{b.number}].control_id", f"{b.control_id}: must be 1 to 32767")
        if b.control_id in controls:
            problems.add(f"button[{b.number}].control_id",
                         f"{b.control_id} is also button {controls[b.control_id]}'s control id")
        controls[b.control_id] = b.number


def check_code_pages(disc, problems):
    for i, lang in enumerate(disc.languages, 1):
        key = f"language[{i}]"
        cp = lang.code_page

        def hint(*texts):
            return (f"not every character can be written in code page {cp} ({lang.name}): "
                    f"{unwritable(texts, cp)}; change the text or the code page")
        for name in ("name", "caption", "ok", "cancel", "title", "footer"):
            if not encodes(getattr(lang, name), cp):
                problems.add(f"{key}.{name}", hint(getattr(lang, name)))
        for name, message in lang.messages.items():
            if not encodes(message.text, cp):
                problems.add(f"{key}.messages.{name}", hint(message.text))
        for b in disc.buttons:
            if not b.labels.get(lang.key, "x").strip():
                problems.add(f"button[{b.number}].label.{lang.key}", "is empty")
            for name, texts in (("label", b.labels), ("sublabel", b.sublabels)):
                if not encodes(texts.get(lang.key, ""), cp):
                    problems.add(f"button[{b.number}].{name}.{lang.key}", hint(texts[lang.key]))
            message = b.confirmations.get(lang.key)
            if message is not None:
                if not message.text.strip():
                    problems.add(f"button[{b.number}].confirmation.{lang.key}", "is empty")
                elif not encodes(message.text, cp):
                    problems.add(f"button[{b.number}].confirmation.{lang.key}", hint(message.text))
        for j, c in enumerate(disc.components, 1):
            title = c.titles.get(lang.key)
            if title is not None and not title.strip():
                problems.add(f"component[{j}].title.{lang.key}", "is empty: give the exact title of the "
                             "window the installer shows, or the waiter cannot tell when it is done")
            elif title is not None and not encodes(title, cp):
                problems.add(f"component[{j}].title.{lang.key}", hint(title) + " (Tarrywin.INI is written in it)")
            folder = c.folders.get(lang.key)
            if folder is not None and not encodes(folder, cp):
                problems.add(f"component[{j}].folder.{lang.key}", hint(folder))


def check_names(disc, problems):
    if not VOLUME_ID.match(disc.volume_id):
        problems.add("disc.volume_id", f"{disc.volume_id!r}: use 1 to 32 of A-Z, 0-9 and _")
    owners = {}
    for j, c in enumerate(disc.components, 1):
        for lang, folder in c.folders.items():
            key = f"component[{j}].folder.{lang}"
            if re.match(r"^[A-Za-z]:|^\\", folder) or ".." in folder.split("\\"):
                problems.add(key, f"{folder!r} must be a folder on the disc, relative to its root")
                continue
            for segment in folder.split("\\"):
                reason = bad_name(segment)
                if reason:
                    problems.add(key, reason)
            if len(folder) > 200:
                problems.add(key, "is too long for a disc path")
            if folder.count("\\") + 1 > MAX_DEPTH:
                problems.add(key, f"{folder!r} is deeper than the {MAX_DEPTH} folder levels an ISO 9660 disc holds")
            other = owners.get((lang, folder.lower()))
            if other and other != c.id:
                problems.add(key, f"{folder!r} is also component {other}'s folder in language {lang}")
            owners[(lang, folder.lower())] = c.id
    if disc.files and disc.files.is_dir():
        for here, dirs, names in os.walk(disc.files):
            for name in dirs + names:
                rel = os.path.relpath(os.path.join(here, name), disc.files)
                reason = bad_name(name)
                if reason:
                    problems.add("disc.files", f"{rel}: {reason}")
                elif name in dirs and rel.count(os.sep) + 1 > MAX_DEPTH:
                    problems.add("disc.files", f"{rel}: deeper than the {MAX_DEPTH} folder levels "
                                 "an ISO 9660 disc holds")
    for lang in disc.languages:
        titles = {}
        for c in disc.components:
            t = c.titles.get(lang.key)
            if t and t in titles:
                problems.add(f"component[{disc.components.index(c) + 1}].title.{lang.key}",
                             f"{t!r} is also the title of {titles[t]}: a waiter would end on the other installer's window")
            titles[t] = c.id


def check_sources(disc, problems):
    entries = disc_entries(disc)
    for b in disc.buttons:
        for j, step in enumerate(b.steps, 1):
            key = f"button[{b.number}].steps[{j}]"
            if step.kind == "run":
                if not step.program:
                    problems.add(f"{key}.run", "is empty")
                elif entries.get(step.program.lower()) is not False:
                    problems.add(f"{key}.run", f"{step.program!r} is not a file on the disc; put it under "
                                 "disc.files (paths are relative to the disc's root)"
                                 + nearest_entry(step.program, entries, is_dir=False))
            elif step.kind == "copy":
                if step.source.lower() not in entries:
                    problems.add(f"{key}.copy", f"{step.source!r} is not on the disc; put it under disc.files "
                                 "(paths are relative to the disc's root)" + nearest_entry(step.source, entries))
                if not step.destination:
                    problems.add(f"{key}.to", "is empty")


def check_commands(disc, problems):
    """Each step's command in each language: no ';' in a field, every field in
    the code page, a separator to be had, and at most 1023 bytes."""
    for b in disc.buttons:
        for j, step in enumerate(b.steps, 1):
            key = f"button[{b.number}].steps[{j}]"
            for lang in disc.languages:
                if step.kind == "component":
                    c = next((c for c in disc.components if c.id == step.component), None)
                    if c is None or lang.key not in c.folders:
                        continue       # reported where the component is read
                letter, fields = commands.step_fields(step, disc, lang)
                if any(";" in f for f in fields):
                    problems.add(key, f"{next(f for f in fields if ';' in f)!r} holds ';', which ends a "
                                 "command: rename it")
                    break
                if not all(encodes(f, lang.code_page) for f in fields):
                    if step.kind != "component":   # component folders are reported as such
                        problems.add(key, f"its paths cannot be written in code page {lang.code_page} "
                                     f"({lang.name})")
                    continue
                text = commands.command_text(step, disc, lang)
                if text is None:
                    problems.add(key, "its fields use every separator the kit knows")
                elif len(text.encode(encoding(lang.code_page))) > commands.STRING_LIMIT:
                    problems.add(key, f"the command is longer than {commands.STRING_LIMIT} bytes in "
                                 f"{lang.name}; shorten its paths")
                    break


def validate(disc, problems):
    check_ids(disc, problems)
    check_code_pages(disc, problems)
    check_names(disc, problems)
    check_sources(disc, problems)
    check_commands(disc, problems)
    disc_names.check_disc_names(disc, problems)
    if not disc.components and any(s.kind == "component" for b in disc.buttons for s in b.steps):
        problems.add("component", "install steps name components, but there is no [[component]]")
