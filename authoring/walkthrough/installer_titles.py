"""PURPOSE: what the walk-through program reports about installers ("@"
lines in its output) read back, and the title check built on it: a
component's manifest title must be one that its installer showed."""
import difflib


def records(output):
    """(other lines, {kind: [fields...]}) of a walk-through run's output."""
    lines, found = [], {}
    for line in output.splitlines():
        if line.startswith("@") and "\t" in line:
            kind, *fields = line[1:].split("\t")
            found.setdefault(kind, []).append(fields)
        else:
            lines.append(line)
    return lines, found


def seen_titles(found):
    """[(title, first ms, last ms, pid)] from "@title" records, first seen first."""
    titles = []
    for fields in found.get("title", []):
        if len(fields) >= 4 and fields[0].isdigit() and fields[1].isdigit():
            titles.append(("\t".join(fields[3:]), int(fields[0]), int(fields[1]), fields[2]))
    return sorted(titles, key=lambda t: t[1])


def nearest(title, titles, shown_for=None):
    """The shown title closest to the manifest's, or None when none was shown.
    Of titles about as close (a wizard's "X: Installing" and "X: Completed"
    against "X"), the one shown longest: the window that stays while the
    installer works is the one a waiter can watch."""
    if not titles:
        return None
    shown_for = shown_for or {}
    score = {t: difflib.SequenceMatcher(None, title, t).ratio() for t in titles}
    best = max(score.values())
    close = [t for t in titles if score[t] >= best - 0.1]
    return max(close, key=lambda t: (shown_for.get(t, 0), score[t]))


def title_problem(language, component, window, titles, shown_for=None):
    """None when window is among titles, else the failure's text; shown_for
    gives how long (ms) each title was shown."""
    if window in titles:
        return None
    where = f"{language['name']} ({language['key']}): component {component}"
    if not titles:
        return (f"{where}: its installer showed no titled window at all, so the waiter "
                f"would wait in vain for {window!r}")
    shown = ", ".join(repr(t) for t in dict.fromkeys(titles))
    return (f"{where}: its installer never showed a window titled {window!r}; it showed "
            f"{shown}; did you mean {nearest(window, titles, shown_for)!r}? (title = ... in the manifest; "
            "check-disc --titles lists them)")


def own_installers(language):
    """[(component id, folder, title, walkthrough choice)] of the language's
    components that have their author's own installer, once each."""
    found = {}
    for button in language.get("buttons", []):
        for step in button.get("steps", []):
            if step.get("kind") == "component" and not step.get("standin", True):
                found.setdefault(step["folder"], (step.get("component", step["folder"]), step["folder"],
                                                  step["window"], step.get("walkthrough", "fail")))
    return list(found.values())
