"""The limits of what a disc can hold, checked before anything is written:
texts (characters, lengths), numbers that the resources store in 16 bits or
fewer, buttons on the menu, and unique keys and ids. docs/manifest.md lists them.
"""
from . import layout
from .code_pages import encoding
from .sources import MAX_BACKGROUND

MAX_LINE = 1000          # characters of a one-line text (label, caption, title, ...)
MAX_MESSAGE = 4000       # characters of a message or confirmation text
MAX_WINDOW_TITLE = 4095  # bytes of a watched window title: the waiter reads 4,096 with its end
MAX_COORDINATE = 32767   # the button record stores x and y as signed 16-bit numbers
MAX_MENU_DIALOG = 32767
MAX_SUBLANGUAGE = 63     # six bits of a language id
MAX_MENU = MAX_BACKGROUND
# The drawn layout stacks the install buttons: this many fit MAX_MENU.
MAX_DRAWN_INSTALLS = (MAX_MENU[1] - layout.HEADING - layout.EXIT_FACE[1] - 24) // \
    (layout.INSTALL_FACE_HEIGHT + layout.GAP)
# Line breaks and tabs only where a dialog shows several lines.
MULTILINE_ALLOWED = "\n\r\t"


def bad_characters(text, allowed=""):
    found = sorted({ch for ch in text if (ord(ch) < 32 or 0x7F <= ord(ch) < 0xA0 or ch in "\u2028\u2029")
                    and ch not in allowed})
    return ", ".join(f"U+{ord(ch):04X}" for ch in found)


def check_text(problems, key, text, multiline=False):
    if not isinstance(text, str):
        return
    wrong = bad_characters(text, MULTILINE_ALLOWED if multiline else "")
    if wrong:
        what = "control characters" if multiline else "line breaks or control characters"
        problems.add(key, f"holds {what} ({wrong}), which this text cannot show; remove them")
    longest = MAX_MESSAGE if multiline else MAX_LINE
    if len(text) > longest:
        problems.add(key, f"is {len(text)} characters long; the most is {longest}")


def language_texts(disc):
    """(key, text, multiline) of every text a language brings."""
    for i, lang in enumerate(disc.languages, 1):
        key = f"language[{i}]"
        for name in ("name", "caption", "ok", "cancel", "copyright", "title", "footer"):
            yield f"{key}.{name}", getattr(lang, name), False
        for name, message in lang.messages.items():
            yield f"{key}.messages.{name}", message.text, True


def button_texts(disc):
    for b in disc.buttons:
        key = f"button[{b.number}]"
        for lang, text in b.labels.items():
            yield f"{key}.label.{lang}", text, False
        for lang, text in b.sublabels.items():
            yield f"{key}.sublabel.{lang}", text, False
        for lang, message in b.confirmations.items():
            yield f"{key}.confirmation.{lang}", message.text, True
        for j, step in enumerate(b.steps, 1):
            for name, field in (("component", "component"), ("run", "program"), ("window", "window"),
                                ("copy", "source"), ("to", "destination")):
                yield f"{key}.steps[{j}].{name}", getattr(step, field), False


def other_texts(disc):
    for name in ("name", "company", "copyright", "description"):
        yield f"product.{name}", getattr(disc.product, name), False
    for j, c in enumerate(disc.components, 1):
        yield f"component[{j}].id", c.id, False
        for lang, text in c.folders.items():
            yield f"component[{j}].folder.{lang}", text, False
        for lang, text in c.titles.items():
            yield f"component[{j}].title.{lang}", text, False


def check_text_limits(disc, problems):
    for source in (language_texts, button_texts, other_texts):
        for key, text, multiline in source(disc):
            check_text(problems, key, text, multiline)
    for i, lang in enumerate(disc.languages, 1):
        for name in ("caption", "ok", "cancel"):
            if isinstance(getattr(lang, name), str) and not getattr(lang, name).strip():
                problems.add(f"language[{i}].{name}", "is empty: the dialogs would show a blank")
        for name, message in lang.messages.items():
            if not message.text.strip():
                problems.add(f"language[{i}].messages.{name}", "is empty: the dialog would show no text")
    for j, c in enumerate(disc.components, 1):
        for lang in disc.languages:
            title = c.titles.get(lang.key)
            if title is None:
                continue
            try:
                size = len(title.encode(encoding(lang.code_page), errors="replace"))
            except LookupError:
                continue
            if size > MAX_WINDOW_TITLE:
                problems.add(f"component[{j}].title.{lang.key}", f"is {size} bytes in code page "
                             f"{lang.code_page}; the waiter reads at most {MAX_WINDOW_TITLE}")


def check_numbers(disc, problems):
    for i, lang in enumerate(disc.languages, 1):
        key = f"language[{i}]"
        if not 0 <= lang.sublanguage_id <= MAX_SUBLANGUAGE:
            problems.add(f"{key}.sublanguage_id", f"{lang.sublanguage_id} is not a sublanguage id "
                         f"(0 to {MAX_SUBLANGUAGE})")
        if lang.menu_dialog is not None and not all(1 <= v <= MAX_MENU_DIALOG for v in lang.menu_dialog):
            problems.add(f"{key}.menu_dialog", f"{list(lang.menu_dialog)}: width and height must be "
                         f"1 to {MAX_MENU_DIALOG} dialog units")
    for b in disc.buttons:
        for name in ("x", "y"):
            value = getattr(b, name)
            if value is not None and not 0 <= value <= MAX_COORDINATE:
                problems.add(f"button[{b.number}].{name}", f"{value}: must be 0 to {MAX_COORDINATE} "
                             "pixels from the menu's top left corner")


def check_buttons(disc, problems):
    if not disc.buttons:
        problems.add("button", "the menu needs at least its exit button (the first [[button]])")


def check_unique(disc, problems):
    seen = {}
    for i, lang in enumerate(disc.languages, 1):
        if lang.key in seen:
            problems.add(f"language[{i}].key", f"{lang.key!r} is also language[{seen[lang.key]}]'s key; "
                         "each language needs its own (its files are named by it)")
        seen.setdefault(lang.key, i)
    seen = {}
    for j, c in enumerate(disc.components, 1):
        if c.id in seen:
            problems.add(f"component[{j}].id", f"{c.id!r} is also component[{seen[c.id]}]'s id")
        seen.setdefault(c.id, j)


def check_drawn_positions(disc, problems):
    """Buttons the author placed on a menu the kit draws must lie on it."""
    if any(lang.background is not None for lang in disc.languages):
        return
    width, height = disc.menu_size
    if width > MAX_MENU[0] or height > MAX_MENU[1]:
        installs = len([b for b in disc.buttons if b.kind == "install"])
        problems.add("button", f"{installs} install buttons make a drawn menu of {width} x {height} pixels, "
                     f"larger than the {MAX_MENU[0]} x {MAX_MENU[1]} screen it must fit; a drawn menu holds "
                     f"at most {MAX_DRAWN_INSTALLS} install buttons (your own pictures may place more)")
    for b in disc.buttons:
        size = disc.button_sizes.get(b.number)
        if b.x is None or b.y is None or size is None:
            continue
        if b.x + size[0] > width or b.y + size[1] > height:
            problems.add(f"button[{b.number}]", f"a {size[0]} x {size[1]} button at {b.x}, {b.y} does not "
                         f"fit the {width} x {height} menu; move it (or leave x and y out)")


def check(disc, problems):
    check_text_limits(disc, problems)
    check_numbers(disc, problems)
    check_buttons(disc, problems)
    check_unique(disc, problems)
    check_drawn_positions(disc, problems)

