"""PURPOSE: one language of a disc's walkthrough.json as the line plan that
the C++ walk-through reads (format in tests/demo/plan.h), encoded in the
language's ANSI code page: the bytes its windows show."""


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
    """The plan file's bytes, CRLF, in the language's code page."""
    text = "".join(line + "\r\n" for line in plan_lines(language))
    return text.encode(f"cp{language['code_page']}")


def unattended(button):
    """False when the button runs an author's own installer, which no
    walk-through can click through."""
    return all(step.get("standin", True) for step in button.get("steps", [])
               if step["kind"] == "component")
