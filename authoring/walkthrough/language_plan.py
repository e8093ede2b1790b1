"""PURPOSE: one language of a disc's walkthrough.json as the line plan that
the C++ walk-through reads (format in walkthrough/plan.h), encoded in the
language's ANSI code page: the bytes its windows show."""
from ..code_pages import encoding, unwritable_characters
from ..errors import PlanTextError


def escape(text):
    return text.replace("\\", "\\\\").replace("\n", "\\n").replace("\t", "\\t")


def record(*fields):
    return "\t".join(escape(str(field)) for field in fields)


def step_record(step):
    kind = step["kind"]
    if kind == "component":
        return record("component", step["folder"], step["window"],
                      "standin" if step.get("standin", True) else "installer")
    if kind == "run":
        return record("run", step["program"], step.get("window", ""))
    if kind == "copy":
        return record("copy", step["source"], step["destination"],
                      "directory" if step.get("directory") else "file")
    raise ValueError(f"unknown step kind {kind!r}")


def plan_lines(language):
    """The plan's lines for one entry of walkthrough.json's "languages"."""
    lines = [record("language", language["name"], language["primary_id"], language["key"]),
             record("menu", language["menu_width"], language["menu_height"]),
             record("captions", language.get("ok", "OK"), language.get("cancel", "Cancel"))]
    for button in language["buttons"]:
        lines.append(record("button", button["number"], button["control_id"], button["kind"],
                            button.get("label", "")))
        if button["kind"] == "install":
            lines.append(record("confirmation", button["confirmation"]))
            lines.extend(step_record(step) for step in button.get("steps", []))
    return lines



def plan_bytes(language):
    """The plan file's bytes, CRLF, in the language's code page. Raises
    PlanTextError for a text the code page cannot write, or a code page
    Python does not know."""
    code_page = language["code_page"]
    try:
        "".encode(encoding(code_page))
    except LookupError:
        raise PlanTextError(f"language {language['key']}: code page {code_page} is not one "
                            "this machine can write") from None
    data = b""
    for line in plan_lines(language):
        try:
            data += (line + "\r\n").encode(encoding(code_page))
        except UnicodeEncodeError:
            record, _, text = line.partition("\t")
            characters = " ".join(repr(c) for c in sorted(unwritable_characters([text], code_page)))
            raise PlanTextError(
                f"language {language['key']} ({language['name']}): the {record} record "
                f"{text.replace(chr(9), ' | ')!r} holds {characters}, which code page {code_page} "
                "cannot write; the launcher would show something else. Change the text in the "
                "manifest, or the language's code_page") from None
    return data
