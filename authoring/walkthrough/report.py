"""PURPOSE: check-disc's report to look at: one HTML page beside the
screenshots, made from the account check-disc printed (its numbered steps
and their lines), with each step's result and time, every screenshot the
step took (menus, confirmations, installer pages and windows, error
dialogs) and the window titles the installers showed."""
import html
import os
import re

STAMP = re.compile(r"^\s*\[\s*(\d+(?:\.\d+)?) s\]")
SHOT = re.compile(r"\bscreenshot (\S+)$")
TITLE = re.compile(r"^\s*title\s+(\S+) s to\s+(\S+) s \(pid (\d+)\): (.*)$")

STYLE = """
body { font: 14px/1.4 sans-serif; margin: 2em; color: #222; }
h1 { font-size: 1.4em; } h2 { font-size: 1.05em; margin: 0 0 .4em; }
.verdict { padding: .6em 1em; border-radius: 4px; }
.passed { background: #e3f4e3; } .failed { background: #fbe3e3; } .skipped { background: #fff4d6; }
section { border-left: 4px solid #8a8; padding: .4em 1em; margin: 1em 0; }
section.failed { border-color: #c44; } section.skipped { border-color: #ca4; }
.result { font-weight: normal; color: #555; margin-left: .6em; }
pre { white-space: pre-wrap; margin: .3em 0; font-size: 12px; }
figure { display: inline-block; margin: .4em 1em .4em 0; vertical-align: top; }
figure img { border: 1px solid #999; max-width: 640px; }
figcaption { font-size: 12px; color: #555; }
table { border-collapse: collapse; } td, th { border: 1px solid #ccc; padding: .2em .6em; text-align: left; }
"""


def steps_of(lines):
    """[(heading, [lines])] of an account whose steps are "N. heading" lines."""
    steps = []
    for line in lines:
        if re.match(r"^\d+\. ", line):
            steps.append((line, []))
        elif steps:
            steps[-1][1].append(line)
        elif line.strip():
            steps.append(("", [line]))
    return steps


def result_of(lines):
    if any("FAILED" in line for line in lines):
        return "failed"
    if any("SKIPPED" in line for line in lines):
        return "skipped"
    return "passed"


def duration_of(lines):
    stamps = [float(m.group(1)) for m in map(STAMP.match, lines) if m]
    return f"{max(stamps):.1f} s" if stamps else ""


def write(path, title, lines, failed, folder):
    """Writes the report to path; its pictures are the PNGs in folder that
    the account names. Returns the pictures it shows."""
    shown = []
    parts = [f"<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
             f"<title>{html.escape(title)}</title><style>{STYLE}</style></head><body>",
             f"<h1>{html.escape(title)}</h1>"]
    verdict = "failed" if failed else "passed"
    text = ("These runs failed: " + "; ".join(failed)) if failed else \
        "Everything went as the manifest says."
    parts.append(f'<p class="verdict {verdict}">{html.escape(text)}</p>')

    titles = []
    sections = []
    for heading, body in steps_of(lines):
        result = result_of(body)
        pictures = []
        for line in body:
            shot = SHOT.search(line)
            if shot and os.path.isfile(os.path.join(folder, shot.group(1) + ".png")):
                pictures.append(shot.group(1) + ".png")
            found = TITLE.match(line)
            if found:
                titles.append((heading, found.group(4), found.group(1), found.group(2)))
        shown += pictures
        figures = "".join(
            f'<figure><img src="{html.escape(name)}" alt="{html.escape(name)}">'
            f"<figcaption>{html.escape(name)}</figcaption></figure>" for name in pictures)
        if not heading:
            sections.append(f"<pre>{html.escape(chr(10).join(body).strip(chr(10)))}</pre>")
            continue
        duration = duration_of(body)
        sections.append(
            f'<section class="{result}"><h2>{html.escape(heading)}<span class="result">{result}'
            f'{" · " + duration if duration else ""}</span></h2>'
            f"<pre>{html.escape(chr(10).join(body).strip(chr(10)))}</pre>{figures}</section>")
    if titles:
        rows = "".join(f"<tr><td>{html.escape(h)}</td><td>{html.escape(t)}</td>"
                       f"<td>{html.escape(a)} s to {html.escape(b)} s</td></tr>" for h, t, a, b in titles)
        parts.append("<h2>Window titles the installers showed</h2><table><tr><th>Run</th>"
                     f"<th>Title</th><th>Shown</th></tr>{rows}</table>")
    parts.append("<h2>Steps</h2>")
    parts += sections
    parts.append("</body></html>\n")
    with open(path, "w", encoding="utf-8") as f:
        f.write("\n".join(parts))
    return shown
