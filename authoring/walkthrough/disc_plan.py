"""PURPOSE: walkthrough.json: what check-disc needs to drive the disc under Wine, in
every language, written from the validated Disc."""
import json

from .. import commands
from ..validation import disc_entries


def step_plan(disc, lang, step, entries):
    if step.kind == "component":
        c = disc.component(step.component)
        return {"kind": "component", "component": c.id, "folder": c.folders[lang.key],
                "window": c.titles[lang.key], "standin": lang.key not in c.installers,
                "walkthrough": c.walkthrough}
    if step.kind == "run":
        return {"kind": "run", "program": step.program, "window": step.window}
    return {"kind": "copy", "source": step.source, "destination": step.destination,
            "directory": bool(entries.get(step.source.lower()))}


def plan(disc, disc_folder, iso):
    entries = disc_entries(disc)
    languages = []
    for lang in disc.languages:
        buttons = []
        for b in disc.buttons:
            w, h = disc.button_sizes[b.number]
            entry = {"number": b.number, "control_id": b.control_id, "kind": b.kind,
                     "label": b.labels.get(lang.key, ""), "x": b.x, "y": b.y,
                     "width": w, "height": h}
            if b.kind == "install":
                entry["confirmation"] = b.confirmations[lang.key].text
                entry["steps"] = [step_plan(disc, lang, s, entries) for s in b.steps]
            buttons.append(entry)
        languages.append({
            "key": lang.key, "name": lang.name, "primary_id": lang.primary_id,
            "code_page": lang.code_page, "locale": lang.locale, "default": lang.default,
            "dialog_base": lang.dialog_base, "script_base": lang.script_base,
            "menu_width": disc.menu_size[0], "menu_height": disc.menu_size[1],
            "ok": lang.ok, "cancel": lang.cancel, "buttons": buttons})
    return {"name": disc.name, "volume_id": disc.volume_id, "disc_folder": str(disc_folder),
            "iso": str(iso), "languages": languages}


def write(disc, path, disc_folder, iso):
    path.write_text(json.dumps(plan(disc, disc_folder, iso), ensure_ascii=False, indent=2) + "\n",
                    encoding="utf-8")
