"""Reads disc.toml into a Disc: the only module that touches TOML.

Every mistake is collected with its key (and line) and a way to fix it;
read_disc returns the Disc only when there is none.
"""
import codecs
import difflib
import re
import tomllib
from pathlib import Path

from . import code_pages, commands, geometry, known_texts
from .locations import KIT, default_icon
from .model import (Button, Component, Disc, Geometry, Language, Message, Product,
                    Signing, Step)
from .problems import Problems

PRODUCT_KEYS = ("name", "version", "company", "copyright", "description")
LANGUAGE_KEYS = ("key", "name", "primary_id", "sublanguage_id", "code_page", "default", "locale",
                 "dialog_base", "script_base", "caption", "ok", "cancel", "messages", "copyright",
                 "menu_dialog", "background", "title", "footer")
BUTTON_KEYS = ("kind", "x", "y", "control_id", "label", "sublabel", "confirmation",
               "confirmation_geometry", "steps", "picture", "emblem")
KEY_NAME = re.compile(r"^[a-z][a-z0-9_-]*$")


class Reader:
    def __init__(self, manifest, text, overrides):
        self.manifest = manifest
        self.root = manifest.parent
        self.problems = Problems(text)
        self.overrides = overrides or {}

    # -- small typed getters: each reports its key when the value is wrong.

    def get(self, table, name, key, kind, default=None, required=False, fix=""):
        if name not in table:
            if required:
                self.problems.add(key, f"missing; {fix}" if fix else "missing")
            return default
        value = table[name]
        if kind is int and isinstance(value, bool) or not isinstance(value, kind):
            names = {str: "a text in quotes", int: "a whole number", bool: "true or false",
                     list: "a list [ ... ]", dict: "a table { ... }"}
            self.problems.add(key, f"must be {names.get(kind, kind.__name__)}")
            return default
        return value

    def known(self, table, key, allowed):
        """A key the kit does not know is most likely a typo: say which keys there are."""
        for name in table:
            if name not in allowed:
                near = difflib.get_close_matches(name, allowed, 1)
                hint = f"did you mean {near[0]}?" if near else f"the keys here are {', '.join(sorted(allowed))}"
                self.problems.add(f"{key}.{name}" if key else name, f"unknown key; {hint}")

    def path(self, value, key, must_exist=True, folder=None):
        """The absolute path of a manifest path, or None (with a mistake) when it
        cannot be one; folder=False asks for a regular file, True for a folder."""
        if value is None:
            return None
        if not isinstance(value, str):
            self.problems.add(key, "must be a path in quotes")
            return None
        if not value or "\0" in value:
            self.problems.add(key, "must be a path (it is empty or holds a NUL)")
            return None
        try:
            path = (self.root / value).resolve()
            exists, is_dir, is_file = path.exists(), path.is_dir(), path.is_file()
        except (OSError, ValueError, RuntimeError) as error:
            self.problems.add(key, f"{value[:80]!r} cannot be used: {getattr(error, 'strerror', None) or error}")
            return None
        if must_exist and not exists:
            self.problems.add(key, f"{value} does not exist (paths are relative to {self.root})")
        elif folder is True and exists and not is_dir:
            self.problems.add(key, f"{value} must be a folder")
        elif folder is False and exists and not is_file:
            self.problems.add(key, f"{value} must be a file" + ("" if is_dir else " (it is a device or other special file)"))
            return None
        return path

    def per_language(self, table, name, key, languages, required=True, fix=""):
        """A text given once for every language, or as a table by language key."""
        value = table.get(name)
        if value is None:
            if required:
                example = ", ".join(f'{k} = "..."' for k in languages)
                self.problems.add(key, f"missing; give {name} = {{ {example} }}"
                                  + (f" ({fix})" if fix else ""))
            return {}
        if isinstance(value, str):
            return {k: value for k in languages}
        if not isinstance(value, dict):
            self.problems.add(key, "must be a text or a table of texts by language key")
            return {}
        result = {}
        for lang in languages:
            text = value.get(lang)
            if not isinstance(text, str):
                if required:
                    self.problems.add(f"{key}.{lang}", f"missing for language {lang}; add {lang} = \"...\"")
                continue
            result[lang] = text
        for extra in value:
            if extra not in languages:
                self.problems.add(f"{key}.{extra}", f"no language has key {extra!r}")
        return result

    # -- the manifest's tables.

    def product(self, data):
        table = self.get(data, "product", "product", dict, {}, required=True,
                         fix="add a [product] table with name, version, company, copyright")
        self.known(table, "product", PRODUCT_KEYS)
        name = self.get(table, "name", "product.name", str, "", required=True,
                        fix='add name = "My Product"')
        version = self.get(table, "version", "product.version", str, "1.0.0.0")
        numbers = version.split(".")
        if not (1 <= len(numbers) <= 4 and all(n.isdigit() and int(n) < 65536 for n in numbers)):
            self.problems.add("product.version", f"{version!r} is not a version such as \"3.3\" or \"3.3.0.0\"")
            numbers = ["1"]
        numbers = tuple(int(n) for n in numbers) + (0,) * (4 - len(numbers))
        company = self.get(table, "company", "product.company", str, "")
        copyright_ = self.get(table, "copyright", "product.copyright", str, "")
        description = self.get(table, "description", "product.description", str,
                               f"{name} Ver.{numbers[0]}.{numbers[1]}")
        return Product(name, numbers, company, copyright_, description)

    def languages(self, data, product):
        entries = self.get(data, "language", "language", list, [], required=True,
                           fix="add one [[language]] table per language")
        if data.get("language") is not None and not entries:
            self.problems.add("language", "at least one [[language]] is needed")
        languages = []
        for i, table in enumerate(entries, 1):
            key = f"language[{i}]"
            if not isinstance(table, dict):
                self.problems.add(key, "must be a table")
                continue
            self.known(table, key, LANGUAGE_KEYS)
            tag = self.get(table, "key", f"{key}.key", str, f"lang{i}", required=True,
                           fix='add key = "en" (a short tag used in folder and file names)')
            if not KEY_NAME.match(tag):
                self.problems.add(f"{key}.key", f"{tag!r}: use lower-case letters, digits, '-' or '_'")
            primary = self.get(table, "primary_id", f"{key}.primary_id", int, 0, required=True,
                               fix="add the Windows primary language id, e.g. primary_id = 9 for English")
            if primary and not 0 < primary < 0x400:
                self.problems.add(f"{key}.primary_id", f"{primary} is not a primary language id (1 to 1023)")
            first = known_texts.built_in(primary)
            sub = self.get(table, "sublanguage_id", f"{key}.sublanguage_id", int,
                           first.sublanguage_id if first else 1)
            builtin = known_texts.built_in(primary, sub)
            code_page = self.get(table, "code_page", f"{key}.code_page", int,
                                 builtin.code_page if builtin else None, required=builtin is None,
                                 fix="add the language's ANSI code page, e.g. code_page = 1252")
            if code_page is not None:
                try:
                    codecs.lookup(code_pages.encoding(code_page))
                except LookupError:
                    self.problems.add(f"{key}.code_page", f"{code_page} is not a code page the kit knows")
                    code_page = None
            missing = []

            def text(name, fallback):
                value = self.get(table, name, f"{key}.{name}", str, None)
                if value is None:
                    value = fallback
                    if value is None:
                        missing.append(name)
                return value or ""

            caption = text("caption", builtin and builtin.caption)
            ok = text("ok", builtin and builtin.ok)
            cancel = text("cancel", builtin and builtin.cancel)
            given = self.get(table, "messages", f"{key}.messages", dict, {})
            self.known(given, f"{key}.messages", known_texts.MESSAGE_KEYS)
            messages = {}
            for name in known_texts.MESSAGE_KEYS:
                value = given.get(name)
                if value is not None and not isinstance(value, str):
                    self.problems.add(f"{key}.messages.{name}", "must be a text")
                    value = None
                if value is None and builtin is not None:
                    value = builtin.messages[name]
                    laid_out = builtin.geometry.get(name)
                    geo = Geometry(*laid_out) if laid_out else None
                elif value is None:
                    missing.append(f"messages.{name}")
                    value, geo = "", None
                else:
                    geo = None
                if geo is None:
                    geo = geometry.message_geometry(value or " ", name == "old_windows")
                # The launcher's own messages but the copy failure show '&' as
                # written; that one, and confirmations, only when they hold one.
                messages[name] = Message(value, geo, no_prefix=name != "copy_failed" or "&" in value)
            if missing:
                self.problems.add(key, f"the kit has no texts for primary language id {primary}; "
                                  f"give {', '.join(missing)} (see the English ones in authoring/known_texts.py)")
            menu_dialog = self.get(table, "menu_dialog", f"{key}.menu_dialog", list, None)
            if menu_dialog is not None and not (len(menu_dialog) == 2 and all(isinstance(v, int) for v in menu_dialog)):
                self.problems.add(f"{key}.menu_dialog", "must be [width, height] in dialog units")
                menu_dialog = None
            background = self.get(table, "background", f"{key}.background", str, None)
            locale = self.get(table, "locale", f"{key}.locale", str,
                              builtin.locale if builtin else None, required=builtin is None,
                              fix='add the Linux locale that makes Wine use it, e.g. locale = "es_ES.UTF-8"')
            languages.append(Language(
                key=tag, name=self.get(table, "name", f"{key}.name", str, tag),
                primary_id=primary, sublanguage_id=sub, code_page=code_page or 1252,
                default=self.get(table, "default", f"{key}.default", bool, False),
                locale=locale or "",
                dialog_base=self.get(table, "dialog_base", f"{key}.dialog_base", int, None),
                script_base=self.get(table, "script_base", f"{key}.script_base", int, None),
                caption=caption, ok=ok, cancel=cancel,
                copyright=self.get(table, "copyright", f"{key}.copyright", str, product.copyright),
                messages=messages, menu_dialog=tuple(menu_dialog) if menu_dialog else None,
                background=self.path(background, f"{key}.background", folder=False),
                title=self.get(table, "title", f"{key}.title", str, product.name),
                footer=self.get(table, "footer", f"{key}.footer", str, "")))
        if languages and not any(lang.default for lang in languages):
            languages[0].default = True
        defaults = [lang.key for lang in languages if lang.default]
        if len(defaults) > 1:
            self.problems.add("language", f"only one language can be default = true, not {', '.join(defaults)}")
        return languages

    def components(self, data, keys):
        entries = self.get(data, "component", "component", list, [])
        components = []
        for i, table in enumerate(entries, 1):
            key = f"component[{i}]"
            if not isinstance(table, dict):
                self.problems.add(key, "must be a table")
                continue
            self.known(table, key, ("id", "folder", "title", "installer", "walkthrough"))
            cid = self.get(table, "id", f"{key}.id", str, f"component{i}", required=True,
                           fix='add id = "name", which install steps use as { component = "name" }')
            by_language = isinstance(table.get("installer"), dict)
            installers = {}
            if "installer" in table:
                given = self.per_language(table, "installer", f"{key}.installer", keys,
                                          fix="the installer's setup.exe, or the folder holding it")
                found = {}
                for lang, value in given.items():
                    if value not in found:
                        found[value] = self.installer(
                            value, f"{key}.installer.{lang}" if by_language else f"{key}.installer")
                    if found[value] is not None:
                        installers[lang] = found[value]
            walkthrough = self.get(table, "walkthrough", f"{key}.walkthrough", str, "fail")
            if walkthrough not in ("fail", "skip"):
                self.problems.add(f"{key}.walkthrough", f"{walkthrough!r} is not a choice; give \"fail\" "
                                  "(the default: an installer check-disc cannot drive to its end fails "
                                  "the disc) or \"skip\" (check-disc says so and goes on)")
                walkthrough = "fail"
            components.append(Component(
                id=cid,
                folders={k: v.replace("/", "\\").strip("\\") for k, v in
                         self.per_language(table, "folder", f"{key}.folder", keys).items()},
                titles=self.per_language(table, "title", f"{key}.title", keys,
                                         fix="the exact title of the window its installer shows"),
                installers=installers, installers_by_language=by_language,
                walkthrough=walkthrough))
        return components

    def installer(self, value, key):
        """A component's real installer: its setup.exe, or the folder holding
        it; the whole folder goes into the component's folders on the disc.
        An NSIS script (.nsi) is returned as the file: make-disc builds it."""
        path = self.path(value, key)
        if path is None or not path.exists():
            return None
        if path.is_file():
            if path.suffix.lower() == ".nsi":
                return path
            if path.name.lower() != "setup.exe":
                self.problems.add(key, f"{value} must be the installer's setup.exe, the folder "
                                  "holding it, or an NSIS script (.nsi)")
                return None
            return path.parent
        if not any(p.name.lower() == "setup.exe" for p in path.iterdir()):
            self.problems.add(key, f"{value} holds no setup.exe; the waiter starts the setup.exe beside it")
        return path

    def geometry(self, value, key):
        shape = (("size", 2), ("ok", 2), ("cancel", 2), ("text", 4))
        if isinstance(value, dict) and all(
                isinstance(value.get(name), list) and len(value[name]) == n
                and all(isinstance(v, int) and not isinstance(v, bool) and 0 <= v < 32768 for v in value[name])
                for name, n in shape):
            return Geometry(*(tuple(value[name]) for name, _ in shape))
        self.problems.add(key, "must be { size = [w, h], ok = [x, y], cancel = [x, y], text = [x, y, w, h] }"
                          " in dialog units")
        return None

    def step(self, table, key, component_ids):
        if not isinstance(table, dict):
            self.problems.add(key, 'must be a table such as { component = "name" }')
            return None
        kinds = [k for k in ("component", "run", "copy") if k in table]
        if len(kinds) != 1:
            self.problems.add(key, 'give exactly one of component = "...", run = "...", copy = "..."')
            return None
        kind = kinds[0]
        value = self.get(table, kind, f"{key}.{kind}", str, "")
        allowed = {"component": {"component"}, "run": {"run", "window"}, "copy": {"copy", "to"}}[kind]
        for extra in set(table) - allowed:
            self.problems.add(f"{key}.{extra}", f"a {kind} step takes only {', '.join(sorted(allowed))}")
        if kind == "component":
            if value not in component_ids:
                self.problems.add(f"{key}.component", f"no [[component]] has id {value!r}"
                                  + (f"; known: {', '.join(component_ids)}" if component_ids else ""))
            return Step("component", component=value)
        value = value.replace("/", "\\")
        if kind == "run":
            return Step("run", program=value, window=self.get(table, "window", f"{key}.window", str, ""))
        to = self.get(table, "to", f"{key}.to", str, "", required=True,
                      fix='add to = "Folder\\\\Name", the destination relative to the Windows directory')
        return Step("copy", source=value, destination=to.replace("/", "\\"))

    def buttons(self, data, keys, component_ids):
        entries = self.get(data, "button", "button", list, [], required=True,
                           fix='add [[button]] tables: the first is kind = "exit", then the install buttons')
        buttons = []
        for i, table in enumerate(entries, 1):
            key = f"button[{i}]"
            if not isinstance(table, dict):
                self.problems.add(key, "must be a table")
                continue
            self.known(table, key, BUTTON_KEYS)
            kind = self.get(table, "kind", f"{key}.kind", str, "exit" if i == 1 else "install")
            if kind not in ("exit", "install"):
                self.problems.add(f"{key}.kind", f"{kind!r}: must be \"exit\" or \"install\"")
            elif (kind == "exit") != (i == 1):
                self.problems.add(f"{key}.kind", "button 1 is the exit button and every other button installs")
            x = self.get(table, "x", f"{key}.x", int, None)
            y = self.get(table, "y", f"{key}.y", int, None)
            if (x is None) != (y is None):
                self.problems.add(key, "give both x and y, or neither (then the kit lays the menu out)")
            confirmations = {}
            steps = []
            if kind == "exit" and "steps" in table:
                self.problems.add(f"{key}.steps", "the exit button (button 1) takes no steps; "
                                  "give the install buttons after it")
            if kind == "install":
                texts = self.per_language(table, "confirmation", f"{key}.confirmation", keys,
                                          fix="the text its confirmation dialog shows")
                layouts = self.get(table, "confirmation_geometry", f"{key}.confirmation_geometry", dict, {})
                for extra in set(layouts) - set(keys):
                    self.problems.add(f"{key}.confirmation_geometry.{extra}", f"no language has key {extra!r}")
                for lang, value in texts.items():
                    geo = layouts.get(lang)
                    if geo is not None:
                        geo = self.geometry(geo, f"{key}.confirmation_geometry.{lang}")
                    confirmations[lang] = Message(value, geo or geometry.confirmation_geometry(value or " "),
                                                  no_prefix="&" in value)
                raw_steps = self.get(table, "steps", f"{key}.steps", list, [], required=True,
                                     fix='add steps = [ { component = "name" } ]')
                if "steps" in table and not raw_steps:
                    self.problems.add(f"{key}.steps", "an install button needs at least one step")
                for j, raw in enumerate(raw_steps, 1):
                    step = self.step(raw, f"{key}.steps[{j}]", component_ids)
                    if step:
                        steps.append(step)
            emblem = self.get(table, "emblem", f"{key}.emblem", str, None)
            pictures = {k: self.path(v, f"{key}.picture.{k}", folder=False) for k, v in
                        self.per_language(table, "picture", f"{key}.picture", keys, required=False).items()}
            buttons.append(Button(
                number=i, kind=kind, x=x, y=y,
                control_id=self.get(table, "control_id", f"{key}.control_id", int, 99 + i),
                labels=self.per_language(table, "label", f"{key}.label", keys),
                sublabels=self.per_language(table, "sublabel", f"{key}.sublabel", keys, required=False),
                confirmations=confirmations, pictures=pictures, steps=steps,
                emblem=self.path(emblem, f"{key}.emblem", folder=False)))
        return buttons

    def signing(self, data):
        table = self.get(data, "signing", "signing", dict, {})
        self.known(table, "signing", ("certificate", "password_env", "timestamp_url"))
        if self.overrides.get("unsigned"):
            # A rebuild to check a signed disc against: the signer's
            # certificate need not be on this machine.
            return Signing(None, "DISC_SIGNING_PASSWORD", None)
        certificate = self.overrides.get("certificate") or self.get(table, "certificate", "signing.certificate", str)
        cert_path = None
        if certificate:
            if self.overrides.get("certificate"):
                cert_path = Path(self.overrides["certificate"]).resolve()
                if not cert_path.is_file():
                    self.problems.add("signing.certificate", f"--sign-certificate {cert_path} does not exist")
            else:
                cert_path = self.path(certificate, "signing.certificate", folder=False)
        return Signing(cert_path,
                       self.overrides.get("password_env")
                       or self.get(table, "password_env", "signing.password_env", str, "DISC_SIGNING_PASSWORD"),
                       self.overrides.get("timestamp_url")
                       or self.get(table, "timestamp_url", "signing.timestamp_url", str))

    def read(self, data):
        disc_table = self.get(data, "disc", "disc", dict, {})
        self.known(disc_table, "disc", ("volume_id", "files", "standin", "icon", "pictures"))
        known_tables = {"disc", "product", "language", "component", "button", "signing"}
        for extra in set(data) - known_tables:
            self.problems.add(extra, f"unknown table; the manifest has {', '.join(sorted(known_tables))}")
        product = self.product(data)
        languages = self.languages(data, product)
        keys = [lang.key for lang in languages]
        components = self.components(data, keys)
        buttons = self.buttons(data, keys, [c.id for c in components])
        files = self.get(disc_table, "files", "disc.files", str, None)
        standin = self.get(disc_table, "standin", "disc.standin", str, None)
        icon = self.get(disc_table, "icon", "disc.icon", str, None)
        pictures = self.get(disc_table, "pictures", "disc.pictures", str, "pictures")
        name = self.root.name
        volume = self.get(disc_table, "volume_id", "disc.volume_id", str,
                          re.sub(r"[^A-Z0-9_]", "_", name.upper())[:32])
        disc = Disc(
            name=name, manifest=self.manifest, root=self.root, volume_id=volume, product=product,
            languages=languages, components=components, buttons=buttons,
            files=self.path(files, "disc.files", folder=True),
            standin_template=self.path(standin, "disc.standin", folder=False) if standin
            else KIT / "standin.ini",
            icon=self.path(icon, "disc.icon", folder=False) if icon
            else default_icon(),
            pictures_folder=(self.root / pictures).resolve(),
            signing=self.signing(data))
        assign_bases(disc)
        return disc


def assign_bases(disc):
    """Dialog bases 100, 200, ... and script bases 1000, 1010, ... for the
    languages that do not give theirs, skipping the ranges that others use."""
    installs = max(1, len(disc.buttons) - 1)
    span = max(10, -(-installs // 10) * 10)
    taken_b = {lang.dialog_base for lang in disc.languages if lang.dialog_base is not None}
    taken_s = [lang.script_base for lang in disc.languages if lang.script_base is not None]
    for lang in disc.languages:
        if lang.dialog_base is None:
            b = 100
            while any(abs(b - t) < 100 for t in taken_b):
                b += 100
            lang.dialog_base = b
            taken_b.add(b)
        if lang.script_base is None:
            s = 1000
            while any(t < s + span and s < t + span for t in taken_s):
                s += span
            lang.script_base = s
            taken_s.append(s)
    commands.assign_string_bases(disc)


def read_disc(manifest, overrides=None):
    """(Disc, Problems); the Disc is None when the manifest cannot be read at all."""
    manifest = Path(manifest).resolve()
    try:
        text = manifest.read_text(encoding="utf-8")
    except (OSError, UnicodeDecodeError) as error:
        problems = Problems()
        problems.add("manifest", f"cannot be read: {error}")
        return None, problems
    reader = Reader(manifest, text, overrides)
    try:
        data = tomllib.loads(text)
    except tomllib.TOMLDecodeError as error:
        reader.problems.add("manifest", f"is not valid TOML: {error}")
        return None, reader.problems
    disc = reader.read(data)
    return disc, reader.problems
