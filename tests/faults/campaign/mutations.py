"""The fault campaign's cases: for case i of seed s, a random generator seeded
with "s:i" picks a locale, a menu button and one to three mutations of
SETUP.EXE's resources. A case depends on nothing but its seed and number, so
any case can be made again on its own."""
import random
import struct

from resource_rewrite import RT_BITMAP, RT_DIALOG, RT_STRING, parse_string_block, string_block

# locale -> (LANG record the launcher picks, dialog base, script base,
#            string block, first string id)
LANGUAGES = {
    "en_US.UTF-8": (9, 100, 1000, 7, 100),
    "fr_FR.UTF-8": (12, 200, 1010, 13, 200),
    "de_DE.UTF-8": (7, 300, 1020, 19, 300),
    # No record for Japanese: "DEFAULT" gives the English set, and the
    # command strings are read in a double-byte code page.
    "ja_JP.UTF-8": ("DEFAULT", 100, 1000, 7, 100),
}
LOCALE_WEIGHTS = [("en_US.UTF-8", 4), ("fr_FR.UTF-8", 2), ("de_DE.UTF-8", 2), ("ja_JP.UTF-8", 3)]
# Menu control -> the scripts its button runs (offset from S) and their strings.
CONTROLS = {100: None, 101: (0, [0, 1, 2]), 102: (1, [0, 1]), 103: (2, [2])}
CONTROL_WEIGHTS = [(101, 5), (102, 2), (103, 2), (100, 1)]

S16 = [0, 1, -1, 2, 4, 5, 0x7FFF, -0x8000, 0x7FFE, 1000, -1000, 32, 255, 256]
U32 = [0, 1, 2, 0xFFFFFFFF, 0x7FFFFFFF, 0x80000000, 0x10000, 0xFFFF, 1000000, 40, 12, 124]
PROGRAM = "tessera\\w95e\\tarrywin.exe"
JAPANESE_CHAR = "\u3042"  # two bytes in code page 932


def _pick(rng, weighted):
    return rng.choices([v for v, _ in weighted], [w for _, w in weighted])[0]


def _random_bytes(rng, low, high):
    return bytes(rng.randrange(256) for _ in range(rng.randint(low, high)))


def _s16(rng):
    return rng.choice(S16) if rng.random() < 0.7 else rng.randint(-0x8000, 0x7FFF)


def _put16(data, index, value):
    data = bytearray(data)
    if 2 * index + 2 <= len(data):
        struct.pack_into("<h", data, 2 * index, value)
    return bytes(data)


def _cut(rng, data):
    at = rng.randint(0, max(0, len(data) - 1))
    return data[:at], f"cut to {at} of {len(data)} bytes"


def _overwrite(rng, data, span):
    """Random bytes over a random part of the first span bytes."""
    data = bytearray(data)
    start = rng.randrange(max(1, min(span, len(data))))
    length = rng.randint(1, 16)
    for k in range(start, min(len(data), start + length)):
        data[k] = rng.randrange(256)
    return bytes(data), f"random bytes at {start}..{start + length - 1}"


def mutate_lang(rng, data, bases):
    kind = rng.choice(["bytes", "cut", "base", "script", "both", "long"])
    if kind == "bytes":
        new = _random_bytes(rng, 0, 8)
        return new, f"random {len(new)} bytes"
    if kind == "cut":
        return _cut(rng, data)
    if kind == "long":
        return data + _random_bytes(rng, 1, 64), "random bytes appended"
    values = [0, 1, 0xFFFF, 0x8000, 0x7FFF, 100, 200, 300, 1000, 1010, 1020,
              bases[0] + 1, bases[0] + 4, bases[0] + 50, bases[1] + 3, 0xFFFE]
    b, s = struct.unpack_from("<HH", (data + bytes(4))[:4])
    if kind in ("base", "both"):
        b = rng.choice(values) if rng.random() < 0.8 else rng.randrange(0x10000)
    if kind in ("script", "both"):
        s = rng.choice(values) if rng.random() < 0.8 else rng.randrange(0x10000)
    return struct.pack("<HH", b, s), f"B={b} S={s}"


def mutate_button(rng, data, base):
    kind = rng.choice(["count", "count", "cut", "bytes", "field", "field", "duplicate",
                       "overwrite"])
    if kind == "count":
        count = rng.choice([0x7FFF, -1, -0x8000, 5, 100, 1000, 0x4000])
        return _put16(data, 0, count), f"count {count}"
    if kind == "cut":
        return _cut(rng, data)
    if kind == "bytes":
        new = _random_bytes(rng, 0, 64)
        return new, f"random {len(new)} bytes"
    if kind == "overwrite":
        return _overwrite(rng, data, len(data))
    if kind == "duplicate":
        entries = data[2:]
        times = rng.choice([2, 3, 50, 500])
        new = struct.pack("<h", 4 * times) + entries * times
        return new, f"entries repeated {times} times"
    entry, field = rng.randrange(4), rng.randrange(4)
    name = ["x", "y", "bitmap", "control"][field]
    if field == 2:
        value = rng.choice([0, -1, base, base + 5, base - 1, 1, 0x7FFF, -0x8000, 200, 300])
    elif field == 3:
        value = rng.choice([0, 1, 2, -1, 0x7FFF, -0x8000, 100, 101, 102, 103, 104])
    else:
        value = rng.choice([-0x8000, 0x7FFF, -1, 10000, -10000, 0])
    return _put16(data, 1 + 4 * entry + field, value), f"entry {entry + 1} {name} {value}"


def mutate_inst(rng, data):
    kind = rng.choice(["count", "count", "cut", "bytes", "ids", "ids", "many"])
    if kind == "count":
        count = rng.choice([0x7FFF, -1, -0x8000, 4, 100, 0x4000])
        return _put16(data, 0, count), f"count {count}"
    if kind == "cut":
        return _cut(rng, data)
    if kind == "bytes":
        new = _random_bytes(rng, 0, 32)
        return new, f"random {len(new)} bytes"
    if kind == "many":
        # Many ids of strings that hold no command: a long loop with nothing
        # to start (a long list of real commands is just a long install).
        times = rng.choice([50, 500, 5000, 0x7FFF])
        absent = rng.choice([0, 99, 5000, -1])
        return struct.pack(f"<h{times}h", times, *([absent] * times)), f"{times} ids of string {absent}"
    index = rng.randrange(1, max(2, len(data) // 2))
    value = rng.choice([0, -1, 0x7FFF, -0x8000, 1, 99, 103, 200, 301, 5000, 0x4000])
    return _put16(data, index, value), f"string id {index} = {value}"


def mutate_palette(rng, data):
    kind = rng.choice(["cut", "cut", "bytes", "long", "overwrite"])
    if kind == "cut":
        return _cut(rng, data)
    if kind == "bytes":
        new = _random_bytes(rng, 0, 800)
        return new, f"random {len(new)} bytes"
    if kind == "long":
        return data + _random_bytes(rng, 1, 4096), "random bytes appended"
    return _overwrite(rng, data, len(data))


BITMAP_FIELDS = [  # name, offset, format, interesting values
    ("biSize", 0, "<I", [0, 1, 12, 39, 41, 64, 124, 0xFFFFFFFF, 0x7FFFFFFF, 1000000, 0xFFFFFFF0]),
    ("biWidth", 4, "<i", [0, -1, -488, 0x7FFFFFFF, -0x80000000, 1, 65536, 100000, 0x40000000]),
    ("biHeight", 8, "<i", [0, -1, -242, 1, 0x7FFFFFFF, -0x80000000, 65536, 100000, 3]),
    ("biPlanes", 12, "<H", [0, 2, 0xFFFF]),
    ("biBitCount", 14, "<H", [0, 1, 2, 3, 4, 7, 9, 15, 16, 24, 32, 64, 0xFFFF]),
    ("biCompression", 16, "<I", [1, 2, 3, 4, 5, 6, 0xFFFFFFFF]),
    ("biSizeImage", 20, "<I", [0, 1, 0xFFFFFFFF]),
    ("biClrUsed", 32, "<I", [1, 255, 257, 0xFFFFFFFF, 0x40000000, 0x3FFFFFFF, 65536]),
    ("biClrImportant", 36, "<I", [0xFFFFFFFF, 257]),
]


def mutate_bitmap(rng, data):
    kind = rng.choice(["field", "field", "field", "fields", "cut", "cut", "overwrite", "bytes"])
    if kind == "cut":
        # Cuts fall most often into the header and the colour table.
        limit = rng.choice([40, 1064, len(data)])
        at = rng.randint(0, min(limit, len(data)))
        return data[:at], f"cut to {at} of {len(data)} bytes"
    if kind == "overwrite":
        return _overwrite(rng, data, 40)
    if kind == "bytes":
        new = _random_bytes(rng, 0, 80)
        return new, f"random {len(new)} bytes"
    data, said = bytearray(data), []
    for _ in range(1 if kind == "field" else rng.randint(2, 3)):
        name, offset, fmt, values = rng.choice(BITMAP_FIELDS)
        value = rng.choice(values)
        if offset + struct.calcsize(fmt) > len(data):
            said.append(f"{name} beyond the end")  # an earlier cut took it
            continue
        struct.pack_into(fmt, data, offset, value)
        said.append(f"{name}={value:#x}")
    return bytes(data), " ".join(said)


def _long_path(rng, length):
    parts, total = [], 0
    while total < length:
        part = "d" * rng.randint(1, 40)
        parts.append(part)
        total += len(part) + 1
    return "\\".join(parts)[:length]


def _dbcs_tail(text, japanese):
    """text padded so that the 1023rd byte LoadStringA keeps is the lead byte
    of a double-byte character (under code page 932)."""
    width = 1022 - len(text.encode("ascii", "replace"))
    return text + "x" * max(0, width) + (JAPANESE_CHAR * 3 if japanese else "\u00e9" * 3)


def mutate_string(rng, text, japanese):
    kinds = ["bytes", "chars", "nosemicolon", "noseparator", "double", "double", "longpath",
             "longpath", "long", "dbcs_last", "dbcs_separator", "copy", "copy", "title",
             "fragment", "nul"]
    kind = rng.choice(kinds)
    if kind == "bytes":
        new = "".join(chr(rng.randrange(1, 256)) for _ in range(rng.randint(0, 80)))
        return new, f"random {len(new)} characters"
    if kind == "chars":
        pool = "ce/\\;|.: \"*?<>" + JAPANESE_CHAR
        new = "".join(rng.choice(pool) for _ in range(rng.randint(1, 60)))
        return new, f"random text {new!r}"
    if kind == "nosemicolon":
        return text.replace(";", ""), "no ';'"
    if kind == "noseparator":
        return text.replace("/", "", 1), "no field separator"
    if kind == "double":
        mark = rng.choice([";", "/", ";;", "//"])
        at = rng.randint(0, len(text))
        return text[:at] + mark + text[at:], f"{mark!r} inserted at {at}"
    if kind == "longpath":
        length = rng.choice([200, 259, 260, 261, 270, 300, 520, 1000, 1020, 1100, 2000])
        prefix = rng.choice(["", "tessera\\w95e\\", "C:\\", "\\\\server\\share\\"])
        path = prefix + _long_path(rng, length - len(prefix))
        letter = rng.choice(["e/", "c/", "c/" + PROGRAM + "/"])
        return f"{letter}{path};", f"{letter[0]} with a {length}-character path"
    if kind == "long":
        # Padded with one ignored command, so the cut after the 1023rd byte
        # falls into the padding or, padded in front, into the real command.
        length = rng.choice([1022, 1023, 1024, 1025, 2000, 4000])
        pad = "z" * max(0, length - len(text) - 1)
        if rng.random() < 0.5:
            return text + ";" + pad, f"{length} characters, padding after"
        return pad + ";" + text, f"{length} characters, padding before"
    if kind == "dbcs_last":
        head = rng.choice([text, "e/" + PROGRAM + ";e/", "c/" + PROGRAM + "/f\\", "e|"])
        return _dbcs_tail(head, japanese), "double-byte lead byte as the 1023rd byte"
    if kind == "dbcs_separator":
        sep = JAPANESE_CHAR if japanese else "\u00e9"
        tail = rng.choice(["", sep, ";", sep + sep])
        return "e" + sep + PROGRAM + tail, "a double-byte character as the separator"
    if kind == "copy":
        source = rng.choice([PROGRAM, "tessera", "tessera\\w95e", "missing\\file",
                             "tessera\\w95e\\", "\\\\?\\Z:\\nonexistent"])
        target = rng.choice(["fault\\copy.exe", "fault\\tree\\", "", "fault\\" + _long_path(rng, 300),
                             "C:\\", "fault\\copy.exe\\x", "Z:\\proc\\self\\x", "fault\\\\twice",
                             "fault\\tree2"])
        sep = rng.choice(["/", "|", "/", "//"])
        return (f"c{sep}{source}{sep}{target};",
                f"copy {source[:40]!r} -> {target[:40]!r} ({len(target)} characters) sep {sep!r}")
    if kind == "title":
        title = rng.choice(["Stand-in Setup", "Stand-in Setup", "", " ", "x" * 300])
        return f"e/{PROGRAM}/{title};", f"e with title {title[:20]!r}"
    if kind == "fragment":
        new = rng.choice(["e", "c", "e/", "c/", "c/" + PROGRAM, ";", ";;;;", "", "E/" + PROGRAM,
                          "e;/", "/;e", "e/;", "c//", "e//"])
        return new, f"fragment {new!r}"
    at = rng.randint(0, len(text))
    return text[:at] + "\0" + text[at:], f"NUL at {at}"


# Dialog templates the pressed button reaches: the menu, and the button's
# confirmations (offset 48 + button number 2..4), and the failure dialogs.
DIALOG_OFFSETS = [(0, 4), (50, 2), (51, 2), (52, 2), (3, 1), (4, 1)]


def mutate_dialog(rng, data):
    """A DLGTEMPLATE (style, extended style, item count, x, y, cx, cy, then
    menu, class, title, font and the items): header fields set to edge
    values, the item count above the items there are, cuts, random bytes."""
    kind = rng.choice(["count", "count", "geometry", "style", "cut", "random", "random", "grow"])
    if kind == "count" and len(data) >= 10:
        count = rng.choice([0, 1, 2, 40, 255, 0x7FFF, 0xFFFF, rng.randrange(0x10000)])
        data = data[:8] + struct.pack("<H", count) + data[10:]
        return data, f"item count {count}"
    if kind == "geometry" and len(data) >= 18:
        field = rng.randrange(4)
        data = _put16(data, 5 + field, _s16(rng))
        return data, f"geometry field {field} = {struct.unpack_from('<h', data, 10 + 2 * field)[0]}"
    if kind == "style" and len(data) >= 8:
        style, ex = rng.choice(U32), rng.choice(U32)
        return struct.pack("<II", style, ex) + data[8:], f"style {style:#x}, extended {ex:#x}"
    if kind == "grow":
        extra = _random_bytes(rng, 1, 600)
        return data + extra, f"{len(extra)} random bytes appended"
    if kind == "cut":
        return _cut(rng, data)
    return _overwrite(rng, data, len(data))


def make_dialog_case(seed, index, image):
    """A case of the dialog family: one or two mutated dialog templates of the
    locale's set, drawn from a generator seeded with "s:i:dialog" (the other
    family's cases stay as they are). Same result as make_case."""
    rng = random.Random(f"{seed}:{index}:dialog")
    locale = _pick(rng, LOCALE_WEIGHTS)
    control = _pick(rng, CONTROL_WEIGHTS)
    base = LANGUAGES[locale][1]
    replacements, said = {}, [f"locale {locale}, menu control {control}"]
    for _ in range(rng.choice([1, 1, 2])):
        offset = _pick(rng, DIALOG_OFFSETS)
        found = image.find(RT_DIALOG, base + offset)
        if not found:
            continue
        key = found[0]
        new, what = mutate_dialog(rng, replacements.get(key, image.read(key)))
        replacements[key] = new
        said.append(f"dialog {base + offset}: {what}")
    return said, replacements, locale, control


def make_case(seed, index, image):
    """(description lines, {resource key: bytes}, locale, control id)."""
    rng = random.Random(f"{seed}:{index}")
    locale = _pick(rng, LOCALE_WEIGHTS)
    control = _pick(rng, CONTROL_WEIGHTS)
    record, base, script_base, block, first_string = LANGUAGES[locale]
    japanese = locale.startswith("ja")
    replacements, said = {}, [f"locale {locale}, menu control {control}"]

    def current(key):
        return replacements.get(key, image.read(key))

    targets = [("lang", 1), ("button", 3), ("inst", 3), ("palette", 1), ("bitmap", 4),
               ("string", 6)]
    if control == 100:
        targets = [t for t in targets if t[0] not in ("inst", "string")]
    for _ in range(rng.choice([1, 1, 1, 2, 2, 3])):
        target = _pick(rng, targets)
        if target == "lang":
            key = image.find("LANG", record)[0]
            new, what = mutate_lang(rng, current(key), (base, script_base))
        elif target == "button":
            key = image.find("BUTTON", base)[0]
            new, what = mutate_button(rng, current(key), base)
        elif target == "inst":
            offset = CONTROLS[control][0]
            key = image.find("INST", script_base + offset)[0]
            new, what = mutate_inst(rng, current(key))
        elif target == "palette":
            key = image.find("PALETTE", "DEFAULT")[0]
            new, what = mutate_palette(rng, current(key))
        elif target == "bitmap":
            which = rng.choice([0, 0, control - 99, control - 99, 1, 2, 3, 4])
            key = image.find(RT_BITMAP, base + which)[0]
            new, what = mutate_bitmap(rng, current(key))
        else:
            key = image.find(RT_STRING, block)[0]
            strings = parse_string_block(current(key))
            slot = (first_string + rng.choice(CONTROLS[control][1])) % 16
            text, what = mutate_string(rng, strings[slot] or "", japanese)
            strings[slot] = text
            new = string_block(strings)
            what = f"string {first_string - first_string % 16 + slot}: {what}"
        replacements[key] = new
        said.append(f"{target} {key[1]}: {what}")
    return said, replacements, locale, control
