"""Compiles the resource script the kit writes (resource_script.py) into
resources: {(type, name, language): bytes}, the bytes the resource compiler
of the cross toolchain makes from the same script, so no C toolchain is
needed to make a disc.

It reads the statements that the kit's script is made of: LANGUAGE,
STRINGTABLE, DIALOG, BITMAP, ICON, VERSIONINFO and user types, whose data is
a file or a list of numbers. Anything else is refused with its line, rather
than compiled into something the launcher does not expect. Files are read
from the script's folder and never named to any other program.
"""
import re
import struct
from pathlib import Path
from .errors import ScriptError  # noqa: F401 (raised and caught as rc_compiler.ScriptError)

RT_ICON, RT_BITMAP, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION = 3, 2, 5, 6, 14, 16
TYPES = {"BITMAP": RT_BITMAP, "ICON": RT_ICON}

# The values of the names the script uses (windows.h).
CONSTANTS = {
    "WS_POPUP": 0x80000000, "WS_CHILD": 0x40000000, "WS_VISIBLE": 0x10000000,
    "WS_CAPTION": 0x00C00000, "WS_BORDER": 0x00800000, "WS_DLGFRAME": 0x00400000,
    "WS_SYSMENU": 0x00080000, "WS_GROUP": 0x00020000, "WS_TABSTOP": 0x00010000,
    "WS_DISABLED": 0x08000000, "WS_CLIPSIBLINGS": 0x04000000,
    "DS_MODALFRAME": 0x80, "DS_SETFONT": 0x40, "DS_SETFOREGROUND": 0x200, "DS_CENTER": 0x800,
    "DS_3DLOOK": 0x4, "DS_FIXEDSYS": 0x8, "DS_NOIDLEMSG": 0x100, "DS_ABSALIGN": 0x1,
    "DS_SYSMODAL": 0x2, "DS_CONTROL": 0x400, "DS_CENTERMOUSE": 0x1000,
    "BS_PUSHBUTTON": 0x0, "BS_DEFPUSHBUTTON": 0x1, "BS_OWNERDRAW": 0xB, "BS_MULTILINE": 0x2000,
    "SS_LEFT": 0x0, "SS_CENTER": 0x1, "SS_RIGHT": 0x2, "SS_NOPREFIX": 0x80,
    "IDOK": 1, "IDCANCEL": 2, "IDABORT": 3, "IDRETRY": 4, "IDIGNORE": 5, "IDYES": 6, "IDNO": 7,
    "VOS_NT_WINDOWS32": 0x40004, "VOS__WINDOWS32": 0x4, "VOS_NT": 0x40000, "VOS_UNKNOWN": 0,
    "VFT_APP": 1, "VFT_DLL": 2, "VFT_UNKNOWN": 0, "VFT2_UNKNOWN": 0,
    "VS_FF_DEBUG": 1, "VS_FF_PRERELEASE": 2, "VS_FF_PATCHED": 4, "VS_FF_PRIVATEBUILD": 8,
    "VS_FF_INFOINFERRED": 0x10, "VS_FF_SPECIALBUILD": 0x20, "VS_FFI_FILEFLAGSMASK": 0x3F,
}
BUTTON_CLASS, STATIC_CLASS = 0x80, 0x82
# The statements that place a control, with the class and the styles the
# resource compiler gives it: (class, style without a style field, style
# that a given style field is added to).
CONTROLS = {
    "LTEXT": (STATIC_CLASS, 0x0 | 0x00020000, 0x0),
    "CTEXT": (STATIC_CLASS, 0x1 | 0x00020000, 0x1),
    "RTEXT": (STATIC_CLASS, 0x2 | 0x00020000, 0x2),
    "PUSHBUTTON": (BUTTON_CLASS, 0x0 | 0x00010000, 0x0 | 0x00010000),
    "DEFPUSHBUTTON": (BUTTON_CLASS, 0x1 | 0x00010000, 0x1 | 0x00010000),
}
CHILD_VISIBLE = 0x40000000 | 0x10000000
ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "a": "\a", "\\": "\\", '"': '"'}



TOKEN = re.compile(r'''
    (?P<space>[ \t\r\n]+) | (?P<comment>/\*.*?\*/|//[^\n]*) |
    (?P<directive>^[ \t]*\#[^\n]*) |
    (?P<string>"(?:[^"\\\n]|\\.|"")*") |
    (?P<number>0[xX][0-9A-Fa-f]+[lLuU]*|[0-9]+[lLuU]*) |
    (?P<word>[A-Za-z_][A-Za-z0-9_]*) | (?P<punct>[{}(),|+\-])
''', re.VERBOSE | re.DOTALL | re.MULTILINE)


def unquote(text):
    """A quoted string's text: doubled quotes and backslash escapes."""
    body, out, i = text[1:-1], [], 0
    while i < len(body):
        c = body[i]
        if c == "\\" and i + 1 < len(body):
            nxt = body[i + 1]
            if nxt in ESCAPES:
                out.append(ESCAPES[nxt])
                i += 2
                continue
            octal = re.match(r"[0-7]{1,3}", body[i + 1:])
            if octal:
                # As the resource compiler reads them: up to three octal digits.
                out.append(chr(int(octal.group(), 8)))
                i += 1 + len(octal.group())
                continue
            if nxt == "x":
                digits = re.match(r"[0-9A-Fa-f]{1,4}", body[i + 2:])
                if digits:
                    out.append(chr(int(digits.group(), 16)))
                    i += 2 + len(digits.group())
                    continue
        if c == '"' and body[i + 1:i + 2] == '"':
            out.append('"')
            i += 2
            continue
        out.append(c)
        i += 1
    return "".join(out)


class Tokens:
    def __init__(self, text, path):
        self.path, self.items, self.at = path, [], 0
        position, line = 0, 1
        while position < len(text):
            match = TOKEN.match(text, position)
            if not match:
                raise ScriptError(f"{path}:{line}: cannot read {text[position:position + 20]!r}")
            kind = match.lastgroup
            if kind in ("string", "number", "word", "punct"):
                self.items.append((kind, match.group(), line))
            line += match.group().count("\n")
            position = match.end()

    def peek(self, offset=0):
        index = self.at + offset
        return self.items[index] if index < len(self.items) else ("end", "", self.last_line())

    def last_line(self):
        return self.items[-1][2] if self.items else 1

    def take(self):
        token = self.peek()
        self.at += 1
        return token

    def fail(self, what, token=None):
        kind, value, line = token or self.peek()
        raise ScriptError(f"{self.path}:{line}: {what}, found {value or 'the end'!r}")

    def expect(self, value):
        token = self.take()
        if token[1].upper() != value:
            self.fail(f"expected {value!r}", token)

    def comma(self):
        if self.peek()[1] == ",":
            self.take()

    def is_word(self, *words):
        kind, value, _ = self.peek()
        return kind == "word" and value.upper() in words

    def string(self):
        kind, value, _ = token = self.take()
        if kind != "string":
            self.fail("expected a quoted text", token)
        return unquote(value)

    def term(self):
        kind, value, _ = token = self.take()
        if value == "-":
            return -self.term()
        if value == "(":
            number = self.expression()
            self.expect(")")
            return number
        if kind == "number":
            return int(value.rstrip("lLuU"), 0)
        if kind == "word" and value.upper() == "NOT":
            return ~self.term()
        if kind == "word" and value in CONSTANTS:
            return CONSTANTS[value]
        self.fail("expected a number or a known name", token)

    def expression(self):
        number = self.term()
        while self.peek()[1] in ("|", "+"):
            operator = self.take()[1]
            number = number | self.term() if operator == "|" else number + self.term()
        return number

    def begin(self):
        if self.peek()[1] == "{" or self.is_word("BEGIN"):
            self.take()
            return
        self.fail("expected BEGIN")

    def at_end(self):
        if self.peek()[1] == "}" or self.is_word("END"):
            self.take()
            return True
        if self.peek()[0] == "end":
            self.fail("expected END")
        return False


def utf16(text):
    return text.encode("utf-16-le")


def sz(text):
    return utf16(text) + b"\0\0"


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def identifier(value):
    """A type or name as the resource compiler stores it: a number, or the
    text in upper case."""
    return value if isinstance(value, int) else value.upper()


class Compiler:
    def __init__(self, script_path, text=None):
        self.path = Path(script_path)
        self.folder = self.path.parent
        self.tokens = Tokens(text if text is not None else
                             self.path.read_text(encoding="utf-8"), self.path)
        self.language = 0
        self.resources = {}
        self.strings = {}       # language -> {id: text}
        self.icon_id = 0

    def add(self, rtype, name, data, language=None):
        key = (identifier(rtype), identifier(name), self.language if language is None else language)
        if key in self.resources:
            raise ScriptError(f"{self.path}: the resource {key} is defined twice")
        self.resources[key] = bytes(data)

    def read_file(self, name, token_line):
        path = self.folder / name
        try:
            return path.read_bytes()
        except OSError as error:
            raise ScriptError(f"{self.path}:{token_line}: cannot read {path}: {error.strerror}") from None

    def compile(self):
        t = self.tokens
        while t.peek()[0] != "end":
            if t.is_word("LANGUAGE"):
                t.take()
                primary = t.expression()
                t.comma()
                self.language = (t.expression() << 10) | primary
            elif t.is_word("STRINGTABLE"):
                t.take()
                self.stringtable()
            else:
                self.resource()
        for language, strings in self.strings.items():
            for block, data in string_blocks(strings).items():
                self.add(RT_STRING, block, data, language)
        return self.resources

    def resource(self):
        t = self.tokens
        kind, value, line = t.take()
        if kind == "number":
            name = int(value.rstrip("lLuU"), 0)
        elif kind == "word" or kind == "string":
            name = value if kind == "word" else unquote(value)
        else:
            t.fail("expected a resource name", (kind, value, line))
        kind, rtype, line = t.take()
        if kind == "number":
            rtype = int(rtype.rstrip("lLuU"), 0)
        elif kind != "word":
            t.fail("expected a resource type", (kind, rtype, line))
        word = rtype.upper() if isinstance(rtype, str) else None
        if word in ("DIALOG", "DIALOGEX"):
            self.add(RT_DIALOG, name, self.dialog(word == "DIALOGEX"))
        elif word == "VERSIONINFO":
            self.add(RT_VERSION, name, self.versioninfo())
        elif word == "ICON":
            self.icon(name, self.read_file(t.string(), line), line)
        elif word == "BITMAP":
            data = self.read_file(t.string(), line)
            if data[:2] != b"BM":
                raise ScriptError(f"{self.path}:{line}: {name} is not a BMP file")
            self.add(RT_BITMAP, name, data[14:])
        elif word in ("MENU", "MENUEX", "ACCELERATORS", "CURSOR", "FONT", "HTML", "MESSAGETABLE",
                      "TEXTINCLUDE", "DLGINIT", "TOOLBAR", "RCDATA"):
            t.fail(f"{word} resources are not supported", (kind, rtype, line))
        else:
            self.add(rtype, name, self.user_data(line))

    def user_data(self, line):
        t = self.tokens
        if t.peek()[0] == "string":
            return self.read_file(t.string(), line)
        t.begin()
        data = bytearray()
        while not t.at_end():
            kind, value, _ = t.peek()
            if kind == "string":
                data += t.string().encode("latin-1")
            else:
                long = kind == "number" and value[-1:] in "lL"
                number = t.expression()
                data += struct.pack("<I" if long else "<H", number & (0xFFFFFFFF if long else 0xFFFF))
            t.comma()
        return data

    def stringtable(self):
        t = self.tokens
        table = self.strings.setdefault(self.language, {})
        t.begin()
        while not t.at_end():
            number = t.expression() & 0xFFFF
            t.comma()
            text = t.string()
            if number in table:
                t.fail(f"string {number} is defined twice")
            table[number] = text

    def dialog(self, extended):
        t = self.tokens
        box = [t.expression()]
        for _ in range(3):
            t.comma()
            box.append(t.expression())
        style, exstyle, caption, font = 0x80000000 | 0x00800000 | 0x00080000, 0, None, None
        help_id = 0
        if extended and t.peek()[1] == ",":
            t.take()
            help_id = t.expression()
        while not (t.peek()[1] == "{" or t.is_word("BEGIN")):
            kind, value, line = t.take()
            word = value.upper()
            if word == "STYLE":
                style = t.expression()
            elif word == "EXSTYLE":
                exstyle = t.expression()
            elif word == "CAPTION":
                caption = t.string()
                style |= 0x00C00000
            elif word == "FONT":
                size = t.expression()
                t.comma()
                face = t.string()
                extra = [0, 0, 1]
                if extended:
                    for index in range(3):
                        if t.peek()[1] != ",":
                            break
                        t.take()
                        extra[index] = t.expression()
                font = (size, face, extra)
                style |= 0x40
            else:
                t.fail("expected STYLE, EXSTYLE, CAPTION, FONT or BEGIN", (kind, value, line))
        t.begin()
        controls = []
        while not t.at_end():
            controls.append(self.control(extended))
        if extended:
            data = struct.pack("<HHIIIH4h", 1, 0xFFFF, help_id, exstyle, style & 0xFFFFFFFF,
                               len(controls), *box)
        else:
            data = struct.pack("<IIH4h", style & 0xFFFFFFFF, exstyle, len(controls), *box)
        data += b"\0\0" + b"\0\0" + sz(caption or "")
        if style & 0x40 and font:
            size, face, extra = font
            data += struct.pack("<H", size)
            if extended:
                data += struct.pack("<HBB", extra[0], extra[1], extra[2])
            data += sz(face)
        for control in controls:
            data = pad4(data) + control
        return data

    def control(self, extended):
        t = self.tokens
        kind, value, line = t.take()
        word = value.upper()
        if word == "CONTROL":
            text = t.string()
            t.comma()
            number = t.expression()
            t.comma()
            if t.peek()[0] == "string":
                klass = t.string()
            else:
                klass = t.expression()
            t.comma()
            style = t.expression() | CHILD_VISIBLE
        elif word in CONTROLS:
            text = t.string()
            t.comma()
            number = t.expression()
            klass, style, base = CONTROLS[word]
            style |= CHILD_VISIBLE
        else:
            t.fail("expected a control (CONTROL, LTEXT, PUSHBUTTON, ...) or END", (kind, value, line))
        box = [0, 0, 0, 0]
        for index in range(4):
            t.comma()
            box[index] = t.expression()
        exstyle = 0
        if word != "CONTROL" and t.peek()[1] == ",":
            t.take()
            style = base | CHILD_VISIBLE | t.expression()
        if t.peek()[1] == ",":
            t.take()
            exstyle = t.expression()
        if extended:
            data = struct.pack("<III4hI", 0, exstyle, style & 0xFFFFFFFF, *box, number & 0xFFFFFFFF)
        else:
            data = struct.pack("<II4hH", style & 0xFFFFFFFF, exstyle, *box, number & 0xFFFF)
        data += sz(klass) if isinstance(klass, str) else struct.pack("<HH", 0xFFFF, klass)
        data += sz(text)
        return data + b"\0\0"

    def icon(self, name, data, line):
        try:
            reserved, kind, count = struct.unpack_from("<HHH", data, 0)
            entries = [struct.unpack_from("<BBBBHHII", data, 6 + 16 * i) for i in range(count)]
        except struct.error:
            entries, kind = None, None
        if kind != 1 or not entries:
            raise ScriptError(f"{self.path}:{line}: the icon is not an ICO file")
        group = struct.pack("<HHH", 0, 1, count)
        for width, height, colors, _, planes, bits, size, offset in entries:
            if offset + size > len(data):
                raise ScriptError(f"{self.path}:{line}: the icon file is cut short")
            self.icon_id += 1
            self.add(RT_ICON, self.icon_id, data[offset:offset + size])
            group += struct.pack("<BBBBHHIH", width, height, colors, 0, planes, bits, size, self.icon_id)
        self.add(RT_GROUP_ICON, name, group)

    def versioninfo(self):
        t = self.tokens
        fixed = {"FILEVERSION": (0, 0), "PRODUCTVERSION": (0, 0), "FILEFLAGSMASK": 0,
                 "FILEFLAGS": 0, "FILEOS": 0, "FILETYPE": 0, "FILESUBTYPE": 0}
        while not (t.peek()[1] == "{" or t.is_word("BEGIN")):
            kind, value, line = t.take()
            word = value.upper()
            if word not in fixed:
                t.fail("expected a VERSIONINFO field or BEGIN", (kind, value, line))
            if word.endswith("VERSION"):
                parts = [t.expression()]
                while t.peek()[1] == ",":
                    t.take()
                    parts.append(t.expression())
                parts = (parts + [0, 0, 0, 0])[:4]
                fixed[word] = ((parts[0] << 16) | parts[1], (parts[2] << 16) | parts[3])
            else:
                fixed[word] = t.expression()
        t.begin()
        children = []
        while not t.at_end():
            t.expect("BLOCK")
            block = t.string()
            if block == "StringFileInfo":
                children.append(self.string_file_info())
            elif block == "VarFileInfo":
                children.append(self.var_file_info())
            else:
                t.fail("expected the block StringFileInfo or VarFileInfo")
        value = struct.pack("<13I", 0xFEEF04BD, 0x10000, *fixed["FILEVERSION"], *fixed["PRODUCTVERSION"],
                            fixed["FILEFLAGSMASK"], fixed["FILEFLAGS"], fixed["FILEOS"],
                            fixed["FILETYPE"], fixed["FILESUBTYPE"], 0, 0)
        return version_node("VS_VERSION_INFO", value, len(value), 0, children)

    def string_file_info(self):
        t = self.tokens
        t.begin()
        tables = []
        while not t.at_end():
            t.expect("BLOCK")
            key = t.string()
            t.begin()
            strings = []
            while not t.at_end():
                t.expect("VALUE")
                name = t.string()
                t.comma()
                text = t.string()
                strings.append(version_node(name, sz(text), len(text) + 1, 1, []))
            tables.append(version_node(key, b"", 0, 1, strings))
        return version_node("StringFileInfo", b"", 0, 1, tables)

    def var_file_info(self):
        t = self.tokens
        t.begin()
        variables = []
        while not t.at_end():
            t.expect("VALUE")
            name = t.string()
            words = []
            while t.peek()[1] == ",":
                t.take()
                words.append(t.expression() & 0xFFFF)
            value = struct.pack(f"<{len(words)}H", *words)
            variables.append(version_node(name, value, len(value), 0, []))
        return version_node("VarFileInfo", b"", 0, 1, variables)


def version_node(key, value, value_length, kind, children):
    """One node of a version block: length, value length, type, key, the
    value and the children, each aligned to 4 bytes."""
    body = pad4(struct.pack("<HHH", 0, value_length, kind) + sz(key))
    body += value
    for child in children:
        body = pad4(body) + child
    return struct.pack("<H", len(body)) + body[2:]


def string_blocks(strings):
    """{block number: bytes}: 16 strings a block, each a length and its
    UTF-16 text, as LoadString reads them."""
    blocks = {}
    for number in sorted(strings):
        blocks.setdefault((number >> 4) + 1, {})[number & 15] = strings[number]
    return {block: b"".join(struct.pack("<H", len(utf16(texts.get(i, ""))) // 2) + utf16(texts.get(i, ""))
                            for i in range(16))
            for block, texts in blocks.items()}


def compile_script(path, text=None):
    """{(type, name, language): bytes} of the resource script at path (text,
    when given, is its content; files it names are read beside it)."""
    return Compiler(path, text).compile()
