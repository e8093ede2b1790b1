"""The disc's resource script: every resource of its SETUP.EXE in one file.

Each language gets its complete set (language records, menu dialog, bitmaps,
button record, message and confirmation dialogs, install scripts, command
strings, version block) at its own bases, so no id exists in two languages;
palette, icon and application manifest are language neutral.
"""
from . import commands

MENU_STYLE = "WS_VISIBLE | DS_SETFOREGROUND | DS_SETFONT"
MENU_BUTTON_STYLE = "WS_CHILD | WS_VISIBLE | WS_GROUP | BS_OWNERDRAW"
MESSAGE_STYLE = "WS_POPUP | WS_VISIBLE | WS_CAPTION | DS_MODALFRAME | DS_SETFOREGROUND | DS_SETFONT"
CONFIRM_STYLE = "WS_POPUP | WS_VISIBLE | DS_MODALFRAME | DS_SETFOREGROUND | DS_SETFONT"
FONT = 'FONT 9, "MS Sans Serif"'
MESSAGE_OFFSETS = {"nt_required": 1, "old_windows": 2, "launch_failed": 3, "copy_failed": 4}
# The menu places and sizes its buttons in pixels; the template's own
# positions only follow the pixels at the dialog font's usual scale.
DLU_X = 203 / 488


ESCAPES = {"\\": "\\\\", '"': '""', "\n": "\\n", "\r": "\\r", "\t": "\\t"}


def quoted(text):
    """A string literal of the resource compiler: quotes doubled, backslashes
    and every control character escaped, so no text ends the literal or
    reaches the script raw (validation refuses control characters before this)."""
    return '"' + "".join(ESCAPES.get(ch) or (f"\\{ord(ch):03o}" if ord(ch) < 32 or ord(ch) == 127 else ch)
                         for ch in text) + '"'


def comment(text):
    """Text for a comment: what could end it or start another is left out."""
    return "".join(ch if ch.isalnum() or ch in " ._-" else "_" for ch in text)


def menu_dialog(disc, lang):
    b = lang.dialog_base
    w, h = lang.menu_dialog or (round(disc.menu_size[0] * DLU_X), disc.menu_size[1] // 2)
    lines = [f"{b} DIALOG 0, 0, {w}, {h}", f"STYLE {MENU_STYLE}", FONT, "BEGIN"]
    for button in disc.buttons:
        fw, fh = disc.button_sizes[button.number]
        lines.append(f'    CONTROL "", {button.control_id}, 0x0080, {MENU_BUTTON_STYLE}, '
                     f"{round(button.x * DLU_X)}, {button.y // 2}, {round(fw * DLU_X)}, {fh // 2}")
    lines.append("END")
    return lines


def message_dialog(lang, name, message):
    g = message.geometry
    offset = MESSAGE_OFFSETS[name]
    control = "-1" if name == "copy_failed" else "100"
    nopref = ", SS_NOPREFIX" if message.no_prefix else ""
    lines = [f"{lang.dialog_base + offset} DIALOG 0, 0, {g.size[0]}, {g.size[1]}",
             f"STYLE {MESSAGE_STYLE}", f"CAPTION {quoted(lang.caption)}", FONT, "BEGIN",
             f"    LTEXT {quoted(message.text)}, {control}, {', '.join(map(str, g.text))}{nopref}",
             f"    DEFPUSHBUTTON {quoted(lang.ok)}, IDOK, {g.ok[0]}, {g.ok[1]}, 50, 14"]
    if name == "old_windows":
        lines.append(f"    PUSHBUTTON {quoted(lang.cancel)}, IDCANCEL, {g.cancel[0]}, {g.cancel[1]}, 50, 14")
    lines.append("END")
    return lines


def confirmation_dialog(lang, number, message):
    g = message.geometry
    return [f"{lang.dialog_base + 48 + number} DIALOG 0, 0, {g.size[0]}, {g.size[1]}",
            f"STYLE {CONFIRM_STYLE}", FONT, "BEGIN",
            f"    LTEXT {quoted(message.text)}, -1, {', '.join(map(str, g.text))}"
            + (", SS_NOPREFIX" if message.no_prefix else ""),
            f"    DEFPUSHBUTTON {quoted(lang.ok)}, IDOK, {g.ok[0]}, {g.ok[1]}, 50, 14",
            f"    PUSHBUTTON {quoted(lang.cancel)}, IDCANCEL, {g.cancel[0]}, {g.cancel[1]}, 50, 14",
            "END"]


def version_block(disc, lang):
    p = disc.product
    version = ", ".join(map(str, p.version))
    values = [("CompanyName", p.company), ("FileDescription", p.description),
              ("FileVersion", version), ("InternalName", "SETUP"),
              ("LegalCopyright", lang.copyright), ("OriginalFilename", "SETUP.EXE"),
              ("ProductName", p.name)]
    lines = ["1 VERSIONINFO", f"    FILEVERSION {version}", f"    PRODUCTVERSION {version}",
             "    FILEFLAGSMASK 0x3F", "    FILEFLAGS 0", "    FILEOS VOS_NT_WINDOWS32",
             "    FILETYPE VFT_APP", "    FILESUBTYPE VFT2_UNKNOWN", "BEGIN",
             '    BLOCK "StringFileInfo"', "    BEGIN", f'        BLOCK "{lang.language_id:04X}04B0"',
             "        BEGIN"]
    lines += [f'            VALUE "{k}", {quoted(v)}' for k, v in values]
    lines += ["        END", "    END", '    BLOCK "VarFileInfo"', "    BEGIN",
              f'        VALUE "Translation", 0x{lang.language_id:04X}, 1200', "    END", "END"]
    return lines


def language_part(disc, lang, bitmaps):
    b, s = lang.dialog_base, lang.script_base
    out = [f"/* Language {lang.primary_id}, {comment(lang.key)}: dialog base {b}, script base {s}, "
           f"strings from {lang.string_base}. */",
           f"LANGUAGE {lang.primary_id}, {lang.sublanguage_id}", "",
           f"{lang.primary_id} LANG {{ {b}, {s} }}"]
    if lang.default:
        out.append(f"DEFAULT LANG {{ {b}, {s} }}")
    out += [""] + menu_dialog(disc, lang) + [""]
    out.append(f"{b} BITMAP {quoted(bitmaps['background'])}")
    for button in disc.buttons:
        out.append(f"{b + button.number} BITMAP {quoted(bitmaps[button.number])}")
    # The type is written in lower case because BUTTON is a keyword here.
    entries = ",\n".join(f"    {bt.x}, {bt.y}, {b + bt.number}, {bt.control_id}" for bt in disc.buttons)
    out += ["", f"{b} button", "{", f"    {len(disc.buttons)},", entries, "}", ""]
    for name, message in lang.messages.items():
        out += message_dialog(lang, name, message) + [""]
    for button in disc.buttons:
        if button.kind == "install":
            out += confirmation_dialog(lang, button.number, button.confirmations[lang.key]) + [""]
    strings, scripts = commands.language_scripts(disc, lang)
    for script_id, ids in scripts:
        out.append(f"{script_id} INST {{ {', '.join(map(str, [len(ids)] + ids))} }}")
    out += ["", "STRINGTABLE", "BEGIN"]
    out += [f"    {sid} {quoted(text)}" for sid, text in strings]
    out += ["END", ""] + version_block(disc, lang) + [""]
    return out


def resource_script(disc, files):
    """The .rc text; files names the palette, icon, manifest and each
    language's bitmaps as the resource compiler should find them."""
    out = ["/* The resources of this disc's SETUP.EXE, written by the authoring kit",
           f" * from {comment(disc.manifest.name)}; edit the manifest, not this file. */",
           "#pragma code_page(65001)", "", "#include <windows.h>", "",
           "LANGUAGE 0, 0", f"DEFAULT PALETTE {quoted(files['palette'])}",
           f"1 ICON {quoted(files['icon'])}", f"1 24 {quoted(files['manifest'])}", ""]
    for lang in disc.languages:
        out += language_part(disc, lang, files[lang.key])
    return "\n".join(out) + "\n"
