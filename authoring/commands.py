"""The install scripts and command strings of one language.

Each step of a button becomes one `c` or `e` command in a string of its own,
so no string comes near the 1023 bytes that the launcher reads, however long
a button's script is; a step used by several buttons is stored once. The
field separator is "/" unless a field holds one; then the first byte of
SEPARATORS that no field of that command contains.
"""

SEPARATORS = "/|*?<>#!@~^,"
BLOCK = 16                   # string ids per string-table block: block = id // 16
LAST_STRING_ID = 65535
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


def string_count(disc):
    """The most command strings a language can need: one per step."""
    return max(1, sum(len(b.steps) for b in disc.buttons if b.kind == "install"))


def blocks(base, count):
    return set(range(base // BLOCK, (base + count - 1) // BLOCK + 1))


def assign_string_bases(disc):
    """Gives each language a run of string ids in string-table blocks that no
    other language touches: Windows loads a whole block in the language it
    prefers, so a block shared by two languages would hand one language the
    other's commands. A language starts at its dialog base when those blocks
    are free, else after the blocks taken so far."""
    count = string_count(disc)
    taken = set()
    for lang in disc.languages:
        start = lang.dialog_base
        base = start if isinstance(start, int) and BLOCK <= start <= LAST_STRING_ID else BLOCK
        while blocks(base, count) & taken:
            base = (max(blocks(base, count) & taken) + 1) * BLOCK
        lang.string_base = base
        taken |= blocks(base, count)


def language_scripts(disc, language):
    """([(string id, text)], [(script id, [string ids])]) for one language."""
    strings, ids_by_text, scripts = [], {}, []
    installs = [b for b in disc.buttons if b.kind == "install"]
    for index, button in enumerate(installs):
        ids = []
        for step in button.steps:
            text = command_text(step, disc, language)
            if text not in ids_by_text:
                ids_by_text[text] = language.string_base + len(strings)
                strings.append((ids_by_text[text], text))
            ids.append(ids_by_text[text])
        scripts.append((language.script_base + index, ids))
    return strings, scripts
