"""The install scripts and command strings of one language.

Each step of a button becomes one `c` or `e` command in a string of its own,
so no string comes near the 1023 bytes that the launcher reads, however long
a button's script is; a step used by several buttons is stored once. The
field separator is "/" unless a field holds one; then the first byte of
SEPARATORS that no field of that command contains.
"""

SEPARATORS = "/|*?<>#!@~^,"
STRING_LIMIT = 1023          # bytes, in the language's code page
WAITER = "tarrywin.exe"


def step_fields(step, disc, language):
    """The command letter and fields of one step in one language."""
    if step.kind == "component":
        folder = disc.component(step.component).folders[language.key]
        return "e", [folder + "\\" + WAITER]
    if step.kind == "run":
        return "e", [step.program] + ([step.window] if step.window else [])
    return "c", [step.source, step.destination]


def choose_separator(fields):
    for candidate in SEPARATORS:
        if not any(candidate in f for f in fields):
            return candidate
    return None


def command_text(step, disc, language):
    letter, fields = step_fields(step, disc, language)
    separator = choose_separator(fields)
    if separator is None:
        return None
    return letter + separator + separator.join(fields) + ";"


def language_scripts(disc, language):
    """([(string id, text)], [(script id, [string ids])]) for one language."""
    strings, ids_by_text, scripts = [], {}, []
    installs = [b for b in disc.buttons if b.kind == "install"]
    for index, button in enumerate(installs):
        ids = []
        for step in button.steps:
            text = command_text(step, disc, language)
            if text not in ids_by_text:
                ids_by_text[text] = language.dialog_base + len(strings)
                strings.append((ids_by_text[text], text))
            ids.append(ids_by_text[text])
        scripts.append((language.script_base + index, ids))
    return strings, scripts
