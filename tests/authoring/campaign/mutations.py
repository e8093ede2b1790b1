"""The mutations of the manifest campaign: each kind changes a copy of an
example disc (its disc.toml, the files it names, the environment) in one way
an author, a broken file or a hostile manifest could. make_case(seed, number)
depends on nothing else, so a case can be replayed alone.

A case says what the kit must do with it: "refuse" (a mistake the author must
hear of), "build" (a valid disc), or "either" (the kit may build it or refuse
it, but must not crash, hang or write anything on a refusal). Planted cases
carry the keys that every one of their mistakes must be listed under.
"""
import random
import re
from dataclasses import dataclass, field

BASES = ("demo", "orbit-ja")
STRING = re.compile(r'"(?:[^"\\\n]|\\.)*"')
KEY_VALUE = re.compile(r'^(\s*)([A-Za-z_][A-Za-z0-9_-]*)(\s*=\s*)(.+)$')
NUMBER = re.compile(r'(?<![\w."])-?\d+(?![\w."])')


@dataclass
class Case:
    number: int
    base: str
    kind: str
    expect: str                       # "refuse", "build" or "either"
    text: bytes = b""                 # the manifest
    files: dict = field(default_factory=dict)     # path in the disc folder -> bytes, or ("link", target), ("dir",), ("image", w, h, fmt), ("truncate", n)
    env: dict = field(default_factory=dict)       # environment variables (None: unset)
    args: list = field(default_factory=list)      # extra make-disc arguments
    keys: list = field(default_factory=list)      # planted: keys that must all be listed
    note: str = ""


def lines_of(text):
    return text.split("\n")


def value_lines(text):
    """Indices of the lines that set a key."""
    return [i for i, line in enumerate(lines_of(text)) if KEY_VALUE.match(line)]


def replace_line(text, index, new):
    lines = lines_of(text)
    lines[index] = new
    return "\n".join(lines)


def set_value(text, rng, value, keys=None):
    """One key's value replaced (keys: the names to choose from)."""
    lines = lines_of(text)
    choices = [i for i in value_lines(text) if keys is None or KEY_VALUE.match(lines[i]).group(2) in keys]
    if not choices:
        return text, ""
    i = rng.choice(choices)
    m = KEY_VALUE.match(lines[i])
    lines[i] = f"{m.group(1)}{m.group(2)}{m.group(3)}{value}"
    return "\n".join(lines), m.group(2)


def set_string(text, rng, make):
    """One string literal replaced by make(old literal's text)."""
    found = list(STRING.finditer(text))
    if not found:
        return text
    m = rng.choice(found)
    return text[:m.start()] + make(m.group(0)[1:-1]) + text[m.end():]


def toml_string(raw):
    out = []
    for ch in raw:
        if ch in '"\\':
            out.append("\\" + ch)
        elif ord(ch) < 32 or ord(ch) == 127:
            out.append(f"\\u{ord(ch):04X}")
        else:
            out.append(ch)
    return '"' + "".join(out) + '"'


def add_to_table(text, header, addition, which=0):
    """addition inserted as the first lines of the which-th table with that header."""
    lines = lines_of(text)
    hits = [i for i, line in enumerate(lines) if line.strip() == header]
    if not hits:
        return text + f"\n{header}\n{addition}\n"
    i = hits[min(which, len(hits) - 1)]
    lines.insert(i + 1, addition)
    return "\n".join(lines)


def put(text, header, key, value, which=0):
    """key = value in the which-th table with that header: replaced where the
    table already sets key, added otherwise."""
    lines = lines_of(text)
    hits = [i for i, line in enumerate(lines) if line.strip() == header]
    if not hits:
        return text + f"\n{header}\n{key} = {value}\n"
    start = hits[min(which, len(hits) - 1)] + 1
    end = next((i for i in range(start, len(lines)) if lines[i].lstrip().startswith("[")), len(lines))
    for i in range(start, end):
        m = KEY_VALUE.match(lines[i])
        if m and m.group(2) == key:
            lines[i] = f"{key} = {value}"
            return "\n".join(lines)
    lines.insert(start, f"{key} = {value}")
    return "\n".join(lines)


def button_tables(text):
    return len([line for line in lines_of(text) if line.strip() == "[[button]]"])


# -- the kinds: each takes (rng, text, case) and returns the new text.

def delete_key(rng, text, case):
    case.expect = "either"
    i = rng.choice(value_lines(text))
    return replace_line(text, i, "")


TYPE_VALUES = ("42", "-1", "true", "3.5", "[]", "[1, 2]", "{}", '{ x = 1 }', '"text"', '""',
               "1979-05-27T07:32:00Z", '[ "a", 2 ]')


def change_type(rng, text, case):
    case.expect = "either"
    return set_value(text, rng, rng.choice(TYPE_VALUES))[0]


def huge_number(rng, text, case):
    case.expect = "either"
    value = rng.choice((2 ** 31, 2 ** 31 + 7, 2 ** 32 + 1, 2 ** 63 - 1, 10 ** 30, 65536, 32768, 99999))
    numbers = list(NUMBER.finditer(text))
    if numbers and rng.random() < 0.7:
        m = rng.choice(numbers)
        return text[:m.start()] + str(value) + text[m.end():]
    return set_value(text, rng, str(value), ("x", "y", "primary_id", "sublanguage_id", "code_page",
                                             "dialog_base", "script_base", "control_id"))[0]


def negative_number(rng, text, case):
    case.expect = "either"
    value = rng.choice((-1, -32768, -65536, -(2 ** 31), -(2 ** 63)))
    numbers = list(NUMBER.finditer(text))
    if numbers and rng.random() < 0.7:
        m = rng.choice(numbers)
        return text[:m.start()] + str(value) + text[m.end():]
    return set_value(text, rng, str(value), ("x", "y", "primary_id", "sublanguage_id", "code_page",
                                             "dialog_base", "script_base", "control_id"))[0]


def long_string(rng, text, case):
    case.expect = "either"
    length = rng.choice((256, 300, 1100, 5000, 70000, 300000))
    letter = rng.choice(("x", "é", "日", "x y "))
    return set_string(text, rng, lambda old: toml_string((letter * length)[:length]))


CONTROLS = ("\x00", "\x1b", "\x7f", "\n", "\r", "\t", "\x01", "\r\n", "\x08", "\x0c")


def control_characters(rng, text, case):
    case.expect = "either"
    ch = rng.choice(CONTROLS)

    def make(old):
        # At the start, the end or a space: never inside an escape.
        cut = rng.choice([0, len(old)] + [i for i, c in enumerate(old) if c == " "])
        escape = "".join(f"\\u{ord(c):04X}" for c in ch)
        return '"' + old[:cut] + escape + old[cut:] + '"'
    return set_string(text, rng, make)


def invalid_utf8(rng, text, case):
    case.expect = "refuse"
    data = text.encode("utf-8")
    at = rng.randint(0, len(data))
    case.text = data[:at] + rng.choice((b"\xff", b"\xc3", b"\xed\xa0\x80", b"\x80\x80")) + data[at:]
    return None


def broken_toml(rng, text, case):
    case.expect = "refuse"
    choice = rng.randrange(5)
    if choice == 0:
        # Cut inside a string, a table header or an inline table: never a complete manifest.
        cuts = [m.start() + 1 for m in STRING.finditer(text)] + \
               [m.start() + 1 for m in re.finditer(r"\[\[", text)]
        return text[:rng.choice(cuts)]
    if choice == 1:
        return text.replace("[[button]]", "[[button]", 1)
    if choice == 2:
        i = rng.choice(value_lines(text))
        line = lines_of(text)[i]
        return replace_line(text, i, line + "\n" + line)      # a key given twice
    if choice == 3:
        return text.replace("[product]", "[product]\n[product]", 1)
    return text.replace('"', "'''", 1)


def picture_keys(text):
    return [k for k in ("background", "picture", "emblem") if re.search(rf"^\s*{k}\s*=", text, re.M)]


def point_pictures_at(rng, text, case, target, key=None):
    """Every picture the disc has (or an emblem, or its background) names target."""
    key = key or rng.choice(("background", "picture", "emblem", "icon"))
    if key == "icon":
        return put(text, "[disc]", "icon", toml_string(target))
    if key == "background":
        for i in range(text.count("[[language]]")):
            text = put(text, "[[language]]", "background", toml_string(target), i)
        if "picture = " not in text:
            for i in range(button_tables(text)):
                text = put(text, "[[button]]", "picture", toml_string(target), i)
        return text
    if key == "picture" and "picture = " in text:
        return re.sub(r'^picture\s*=.*$', lambda m: f"picture = {toml_string(target)}", text, count=1, flags=re.M)
    return put(text, "[[button]]", "emblem", toml_string(target), rng.randrange(button_tables(text)))


def missing_picture(rng, text, case):
    case.expect = "refuse"
    return point_pictures_at(rng, text, case, rng.choice(("nowhere.bmp", "pictures/absent.png", "../x.bmp")))


def truncated_picture(rng, text, case):
    case.expect = "refuse"
    case.files["cut.bmp"] = ("truncate", rng.choice((0, 10, 54, 200, 1500)))
    return point_pictures_at(rng, text, case, "cut.bmp")


def not_a_picture(rng, text, case):
    case.expect = "refuse"
    case.files["notes.bmp"] = rng.choice((b"just text\n", bytes(range(256)) * 8, b"BM" + b"\xff" * 60))
    return point_pictures_at(rng, text, case, "notes.bmp")


def huge_picture(rng, text, case):
    case.expect = "refuse"
    w, h = rng.choice(((8000, 8000), (20000, 20000), (40000, 12), (4000, 3000), (65535, 2), (801, 1025)))
    case.files["huge.png"] = ("image", w, h, "PNG")
    return point_pictures_at(rng, text, case, "huge.png")


def photo_background(rng, text, case):
    """The largest background the kit takes, every pixel a colour of its own;
    the buttons' pictures of the demo then do not fit it, which is refused too."""
    case.expect = "either"
    case.files["photo.png"] = ("image", 800, 600, "PHOTO")
    for i in range(text.count("[[language]]")):
        text = put(text, "[[language]]", "background", '"photo.png"', i)
    return text


def many_buttons(rng, text, case):
    count = rng.choice((20, 50, 51, 52, 60, 200))
    case.expect = "either" if count <= 51 else "refuse"
    block = text[text.rindex("[[button]]"):]
    return text + "\n" + "\n".join(block for _ in range(count - button_tables(text)))


def signing_settings(rng, text, case):
    choice = rng.randrange(8)
    case.expect = "refuse"
    table = "\n[signing]\n"
    if choice == 0:
        return text + table + "certificate = 5\n"
    if choice == 1:
        return text + table + 'certificate = "absent.p12"\n'
    if choice == 2:
        case.files["cert.p12"] = b"not a certificate\n"
        case.env["CAMPAIGN_PASSWORD"] = "secret"
        return text + table + 'certificate = "cert.p12"\npassword_env = "CAMPAIGN_PASSWORD"\n'
    if choice == 3:
        case.files["cert.p12"] = ("certificate",)
        case.env["CAMPAIGN_PASSWORD"] = "wrong"
        return text + table + 'certificate = "cert.p12"\npassword_env = "CAMPAIGN_PASSWORD"\n'
    if choice == 4:
        case.files["cert.p12"] = ("certificate",)
        case.env["CAMPAIGN_PASSWORD"] = None
        return text + table + 'certificate = "cert.p12"\npassword_env = "CAMPAIGN_PASSWORD"\n'
    if choice == 5:
        case.files["cert.p12"] = ("certificate",)
        return text + table + 'certificate = "cert.p12"\npassword_env = ""\n'
    if choice == 6:
        return text + table + rng.choice(("password_env = 7\n", "timestamp_url = []\n", 'certificate = "."\n',
                                          "certificate = true\n"))
    case.files["cert.p12"] = ("certificate",)
    case.env["CAMPAIGN_PASSWORD"] = ""
    return text + table + 'certificate = "cert.p12"\npassword_env = "CAMPAIGN_PASSWORD"\n'


def long_file_name(rng, text, case):
    case.expect = "refuse"
    name = "n" * rng.choice((255, 256, 300, 5000))
    if rng.random() < 0.3:
        return add_to_table(text, "[disc]", f"{name} = 1")        # a 300-character key
    return point_pictures_at(rng, text, case, name + ".bmp", rng.choice(("background", "emblem", "icon")))


def nul_in_path(rng, text, case):
    case.expect = "refuse"
    return point_pictures_at(rng, text, case, "pic\x00.bmp", rng.choice(("background", "emblem", "icon", "picture")))


def folder_as_picture(rng, text, case):
    case.expect = "refuse"
    case.files["afolder.bmp"] = ("dir",)
    return point_pictures_at(rng, text, case, "afolder.bmp")


def device_as_picture(rng, text, case):
    case.expect = "refuse"
    return point_pictures_at(rng, text, case, rng.choice(("/dev/zero", "/dev/null", "/dev/urandom")),
                             rng.choice(("emblem", "background", "icon", "picture")))


def binary_support_files(rng, text, case):
    """A stand-in INI or a pictures stamp that is not text."""
    blob = rng.choice((b"\xff\xfe\x00\x01" * 50, bytes(range(256)), b"[standin]\ntitle=\xe9\xff\n"))
    if rng.random() < 0.5:
        case.expect = "refuse"
        case.files["binary.ini"] = blob
        return put(text, "[disc]", "standin", '"binary.ini"')
    case.expect = "either"
    for key in ("en", "ja", "fr", "de"):
        case.files[f"pictures/{key}.inputs"] = blob
    return text


def line_break_text(rng, text, case):
    case.expect = "refuse"
    key = rng.choice(("sublabel", "label", "title", "footer", "caption", "ok", "to", "folder"))
    if key in ("sublabel", "footer") and not re.search(rf"^{key}\s*=", text, re.M):
        if key == "footer":
            return add_to_table(text, "[[language]]", 'footer = "one\\ntwo"')
        return add_to_table(text, "[[button]]", 'sublabel = "one\\ntwo"', 1)
    pattern = re.compile(rf'^({key}\s*=.*?")([^"\\]*)(")', re.M)
    m = pattern.search(text)
    if not m:
        return put(text, "[[language]]", "title", '"Line\\nbreak"')
    cut = len(m.group(2)) // 2
    return text[:m.start(2)] + m.group(2)[:cut] + rng.choice(("\\n", "\\r\\n", "\\r")) + m.group(2)[cut:] + text[m.end(2):]


def links_in_files(rng, text, case):
    if not re.search(r'^files\s*=', text, re.M):
        text = put(text, "[disc]", "files", '"files"')
        case.files["files/readme.txt"] = b"readme\r\n"
    choice = rng.randrange(6)
    target = ("/etc/passwd", "/etc", "../disc.toml", "nowhere", "loop", "readme.txt")[choice]
    if target == "loop":
        case.files["files/loopdir"] = ("dir",)
        case.files["files/loopdir/back"] = ("link", "..")
    else:
        case.files["files/linked"] = ("link", target)
    case.expect = "either" if target == "readme.txt" else "refuse"
    return text


def icon_not_an_icon(rng, text, case):
    case.expect = "refuse"
    case.files["bad.ico"] = rng.choice((b"text\n", b"\x00\x00\x01\x00\x05\x00" + b"\xff" * 30, ("image", 32, 32, "PNG")))
    return put(text, "[disc]", "icon", '"bad.ico"')


def off_menu(rng, text, case):
    case.expect = "refuse"
    x, y = rng.choice(((5000, 10), (10, 5000), (40000, 40000), (-20, 5), (2 ** 31, 0), (600, 300), (480, 230)))
    i = rng.randrange(button_tables(text))
    return put(put(text, "[[button]]", "x", str(x), i), "[[button]]", "y", str(y), i)


def button_roles(rng, text, case):
    case.expect = "refuse"
    choice = rng.randrange(3)
    if choice == 0:
        # No buttons at all.
        head = text[:text.index("[[button]]")]
        return head
    if choice == 1:
        # Button 1 without kind, but with steps.
        text = re.sub(r'^kind\s*=\s*"exit"\s*$', "", text, count=1, flags=re.M)
        return put(text, "[[button]]", "steps", '[ { copy = "x", to = "y" } ]', 0)
    return put(text, "[[button]]", "kind", '"exit"', 1)


def duplicate_ids(rng, text, case):
    case.expect = "refuse"
    if rng.random() < 0.5:
        keys = re.findall(r'^key\s*=\s*"(\w+)"', text, re.M)
        return re.sub(rf'^key\s*=\s*"{keys[1]}"', f'key = "{keys[0]}"', text, count=1, flags=re.M)
    ids = re.findall(r'^id\s*=\s*"(\w+)"', text, re.M)
    return re.sub(rf'^id\s*=\s*"{ids[1]}"', f'id = "{ids[0]}"', text, count=1, flags=re.M)


def long_title(rng, text, case):
    case.expect = "refuse"
    length = rng.choice((4096, 5000, 20000))
    return re.sub(r'^(title = \{ en = ")([^"]*)"', lambda m: m.group(1) + "T" * length + '"', text, count=1, flags=re.M)


def blank_texts(rng, text, case):
    case.expect = "refuse"
    key = rng.choice(("ok", "cancel", "caption", "nt_required", "copy_failed", "launch_failed"))
    value = rng.choice(('""', '"   "'))
    if re.search(rf"^{key}\s*=", text, re.M):
        return re.sub(rf"^{key}\s*=.*$", f"{key} = {value}", text, count=1, flags=re.M)
    if key in ("ok", "cancel", "caption"):
        return put(text, "[[language]]", key, value)
    return put(text, "[[language]]", "messages", f"{{ {key} = {value} }}") if "[language.messages]" not in text \
        else put(text, "[language.messages]", key, value)


def ids_out_of_range(rng, text, case):
    case.expect = "refuse"
    choice = rng.randrange(4)
    if choice == 0:
        return put(text, "[[language]]", "sublanguage_id", str(rng.choice((64, 99, -1, 1000))))
    if choice == 1:
        return put(text, "[[language]]", "menu_dialog", rng.choice(('[0, 0]', '[100000, 5]', '[-3, 40]', '[40000, 40000]')))
    if choice == 2:
        return put(text, "[[button]]", "control_id", str(rng.choice((0, -5, 32768, 70000))), 1)
    return put(text, "[[language]]", "dialog_base", str(rng.choice((0, 65500, 70000, -100))))


# Planted mistakes: each (change, key that must be listed).
PLANTS = (
    (lambda t: re.sub(r'^volume_id\s*=.*$', 'volume_id = "bad id"', t, count=1, flags=re.M), "disc.volume_id"),
    (lambda t: re.sub(r'^version\s*=.*$', 'version = "one.two"', t, count=1, flags=re.M), "product.version"),
    (lambda t: add_to_table(t, "[[button]]", "x = 10", 1) if not re.search(r"^x\s*=", t, re.M)
     else re.sub(r"^y\s*=.*$", "", t, count=1, flags=re.M), "button[{b}]"),
    (lambda t: put(t, "[[language]]", "caption", '"Ω日本 caption"'), "language[1].caption"),
    (lambda t: add_to_table(t, "[product]", "colour = 3"), "product.colour"),
    (lambda t: put(t, "[[component]]", "installer", '"absent-folder"'), "component[1].installer"),
    (lambda t: put(t, "[[language]]", "sublanguage_id", "99"), "language[1].sublanguage_id"),
)


def planted(rng, text, case):
    case.expect = "refuse"
    for change, key in rng.sample(PLANTS, rng.randint(2, 4)):
        before = text
        text = change(text)
        if key == "button[{b}]":
            key = "button[2]" if "x = 10" in text and "x = 10" not in before else "button[1]"
        case.keys.append(key)
    return text


def kept_pictures(rng, text, case):
    """A kept drawn picture (orbit-ja keeps them) cut short, of another size
    or not a picture: the kit draws it afresh or refuses, never builds it in."""
    case.expect = "either"
    name = f"pictures/{rng.choice(('en', 'ja'))}_{rng.choice(('background', 'button1', 'button2'))}.bmp"
    case.files[name] = rng.choice((("truncate", 700), ("image", 100, 20, "BMP"), b"not a picture"))
    return text


def unchanged(rng, text, case):
    case.expect = "build"
    return text


KINDS = {
    "delete_key": delete_key, "change_type": change_type, "huge_number": huge_number,
    "negative_number": negative_number, "long_string": long_string,
    "control_characters": control_characters, "invalid_utf8": invalid_utf8, "broken_toml": broken_toml,
    "missing_picture": missing_picture, "truncated_picture": truncated_picture,
    "not_a_picture": not_a_picture, "huge_picture": huge_picture, "many_buttons": many_buttons,
    "signing_settings": signing_settings, "long_file_name": long_file_name, "nul_in_path": nul_in_path,
    "folder_as_picture": folder_as_picture, "device_as_picture": device_as_picture,
    "binary_support_files": binary_support_files, "line_break_text": line_break_text,
    "links_in_files": links_in_files, "icon_not_an_icon": icon_not_an_icon, "off_menu": off_menu,
    "button_roles": button_roles, "duplicate_ids": duplicate_ids, "long_title": long_title,
    "blank_texts": blank_texts, "ids_out_of_range": ids_out_of_range, "planted": planted,
    "kept_pictures": kept_pictures, "photo_background": photo_background, "unchanged": unchanged,
}


def make_case(seed, number, base_texts):
    """Case number of the campaign with this seed; base_texts maps each base
    disc to its manifest's text."""
    rng = random.Random(f"{seed}/{number}")
    base = rng.choice(BASES)
    kind = rng.choice(sorted(KINDS))
    case = Case(number, base, kind, "either")
    text = KINDS[kind](rng, base_texts[base], case)
    if text is not None:
        case.text = text.encode("utf-8", "surrogatepass")
    return case
