"""Mistakes found in a manifest, each with the key it concerns and how to fix it."""
import re
from dataclasses import dataclass
from typing import Optional


@dataclass
class Problem:
    key: str
    message: str
    line: Optional[int] = None

    def __str__(self):
        where = f"line {self.line}: " if self.line else ""
        return f"{where}{self.key}: {self.message}"


class Problems:
    def __init__(self, manifest_text=""):
        self.items = []
        self.lines = manifest_text.splitlines()

    def add(self, key, message):
        self.items.append(Problem(key, message, line_of(self.lines, key)))

    def __bool__(self):
        return bool(self.items)

    def report(self, manifest):
        ordered = sorted(self.items, key=lambda p: (p.line is None, p.line or 0))
        return "\n".join(f"{manifest}:{p.line}: {p.key}: {p.message}" if p.line
                         else f"{manifest}: {p.key}: {p.message}" for p in ordered)


SEGMENT = re.compile(r"([A-Za-z0-9_\-]+)(?:\[(\d+)\])?")


def line_of(lines, key):
    """The manifest line that best shows key (a path such as button[3].label.fr),
    found by searching forward segment by segment; None when not written."""
    start, found = 0, None
    for part in key.split("."):
        m = SEGMENT.fullmatch(part)
        if not m:
            return found
        name, index = m.group(1), m.group(2)
        if index is not None:
            header = re.compile(r"^\s*\[\[\s*" + re.escape(name) + r"\s*\]\]")
            hits = [i for i in range(start, len(lines)) if header.match(lines[i])]
            number = int(index) - 1
            if number < len(hits):
                start, found = hits[number], hits[number] + 1
                continue
            # An inline array (steps = [ ... ]): show the line that starts it.
            index = None
        pattern = re.compile(r"(^|[\s{,.\[])" + re.escape(name) + r"\s*(=|\]|\.)")
        hit = next((i for i in range(start, len(lines)) if pattern.search(lines[i])), None)
        if hit is None:
            return found
        start, found = hit, hit + 1
    return found
