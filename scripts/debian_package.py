"""PURPOSE: makes the kit's Debian package (disc-kit_<version>_all.deb) from its wheel with dpkg-deb.

The package is the wheel unpacked: the kit's Python package under
/usr/lib/python3/dist-packages, a /usr/bin program for each of the wheel's
console scripts (read from its entry_points.txt, so it does not matter how
the wheel was made), a manual page for each made from its --help, and the
copyright and changelog Debian expects. No network: only the wheel, the
checkout's docs/authoring.md (the description) and dpkg-deb.
"""
import configparser
import gzip
import io
import os
import re
import shutil
import subprocess
import tempfile
import textwrap
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
PACKAGE = "disc-kit"
DEPENDS = "python3 (>= 3.11), python3-pil, xorriso"
# What check-disc (Wine on a virtual display), NSIS installers, signing and
# drawn pictures (a font) use.
RECOMMENDS = "wine, wine32, xvfb, xauth, nsis, osslsigncode, fonts-liberation"
# The maintainer is whoever made the commit the package is built from.
MAINTAINER_FALLBACK = "Disc front end developers <disc-frontend@example.org>"
SITE = "usr/lib/python3/dist-packages"
# Removing the package must take away the byte code Python wrote beside its
# modules while the commands ran, or those folders would stay behind.
PRERM = """#!/bin/sh
set -e
if [ "$1" = remove ] || [ "$1" = upgrade ] || [ "$1" = deconfigure ]; then
    find /usr/lib/python3/dist-packages/{top} -depth -type d -name __pycache__ -exec rm -rf {{}} + 2>/dev/null || true
fi
"""


class DebianPackageError(Exception):
    pass


def maintainer():
    made = subprocess.run(["git", "-C", str(ROOT), "log", "-1", "--format=%an <%ae>"],
                          capture_output=True, text=True)
    name = made.stdout.strip()
    return name if made.returncode == 0 and re.match(r"^[^<>]+ <[^@<>\s]+@[^<>\s]+\.[^<>\s]+>$", name) \
        else MAINTAINER_FALLBACK


def description_lines(line):
    """One line of the guide as lines of the extended description: at most
    80 columns, and list items indented so that they are shown as written."""
    indent = "  " if line.startswith(("- ", "| ")) else ""
    if len(indent + line) <= 79:
        return [indent + line]
    lead = re.match(r"^\s*", line).group(0)
    return textwrap.wrap(line, width=79 - len(indent), initial_indent=indent,
                         subsequent_indent=indent + lead + ("  " if indent else ""),
                         break_long_words=False, break_on_hyphens=False)


def control_description(summary, guide):
    """The control file's Description: the summary, then the author's guide
    as the extended description (blank lines as ' .')."""
    lines = [f"Description: {summary}"]
    body = guide.splitlines()
    if body and body[0].startswith("# "):
        body = body[1:]  # the guide's heading repeats the summary
    for line in body:
        if not line.strip():
            if lines[-1] != " ." and len(lines) > 1:
                lines.append(" .")
        else:
            lines += [" " + part for part in description_lines(line.rstrip())]
    return "\n".join(lines)


def troff_text(text):
    """One line of plain text as troff: backslashes doubled, hyphens literal,
    and no line starting with a control character."""
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text.startswith((".", "'")) else text


def manual_page(command, version, date, help_text):
    """A section 1 manual page from an argparse --help: the usage line is the
    synopsis, the text before the first options heading the description, and
    each option an indented paragraph."""
    blocks = help_text.rstrip("\n").split("\n\n")
    usage = " ".join(blocks[0].replace("usage:", "", 1).split())
    out = [f'.TH {command.upper()} 1 "{date}" "{PACKAGE} {version}" "User Commands"',
           ".SH NAME", f"{troff_text(command)} \\- {troff_text(summary_of(blocks))}",
           ".SH SYNOPSIS", ".B " + troff_text(usage)]
    description, sections = [], []
    for block in blocks[1:]:
        first, _, rest = block.partition("\n")
        if first.endswith(":") and not first.startswith(" "):
            sections.append((first[:-1], rest))
        elif sections:
            sections[-1] = (sections[-1][0], sections[-1][1] + "\n\n" + block)
        else:
            description.append(block)
    out.append(".SH DESCRIPTION")
    for paragraph in description:
        out += [".PP"] + [troff_text(line.strip()) for line in paragraph.splitlines()]
    for heading, body in sections:
        out.append(".SH " + troff_text(heading.upper()))
        for line in body.splitlines():
            item = re.match(r"^  (\S.*?)(?:\s{2,}(\S.*))?$", line)
            if item:
                out += [".TP", troff_text(item.group(1))]
                if item.group(2):
                    out.append(troff_text(item.group(2)))
            elif line.strip():
                out.append(troff_text(line.strip()))
            else:
                out.append(".PP")
    out += [".SH SEE ALSO", "The author's guide: /usr/share/doc/disc-kit/authoring.md.gz"]
    return "\n".join(out) + "\n"


def summary_of(blocks):
    return blocks[1].splitlines()[0].strip().rstrip(".") if len(blocks) > 1 else PACKAGE


def gzipped(data, epoch):
    buffer = io.BytesIO()
    with gzip.GzipFile(fileobj=buffer, mode="wb", compresslevel=9, mtime=epoch, filename="") as file:
        file.write(data)
    return buffer.getvalue()


def changelog(version, epoch, maintainer):
    from email.utils import formatdate
    return (f"{PACKAGE} ({version}) unstable; urgency=medium\n\n"
            f"  * The authoring kit packaged for Debian and Ubuntu: make-disc and\n"
            f"    check-disc on PATH, the kit's Python package, manual pages.\n\n"
            f" -- {maintainer}  {formatdate(epoch, usegmt=False)}\n")


def copyright_file(license_text, year):
    return ("Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
            f"Upstream-Name: {PACKAGE}\n\n"
            "Files: *\n"
            f"Copyright: {year} the disc front end developers\n"
            f"License: {license_text}\n"
            " The authoring kit and the programs it carries (SETUP.EXE, Tarrywin.exe,\n"
            " the stand-in installer and the walk-through) are distributed under the\n"
            " terms given by their developers.\n")


def read_wheel(wheel):
    """(version, summary, license, {console script: 'module:function'},
    {path in the package tree: (bytes, executable)}) of a wheel."""
    with zipfile.ZipFile(wheel) as archive:
        names = archive.namelist()
        info = next((n.split("/")[0] for n in names if n.endswith(".dist-info/METADATA")), None)
        if info is None:
            raise DebianPackageError(f"{wheel}: no .dist-info/METADATA")
        metadata = archive.read(f"{info}/METADATA").decode()
        fields = dict(line.split(": ", 1) for line in metadata.split("\n\n")[0].splitlines() if ": " in line)
        points = configparser.ConfigParser(interpolation=None)
        points.optionxform = str
        points.read_string(archive.read(f"{info}/entry_points.txt").decode())
        scripts = dict(points["console_scripts"]) if points.has_section("console_scripts") else {}
        files = {}
        for item in archive.infolist():
            if item.is_dir() or item.filename in (f"{info}/RECORD", f"{info}/INSTALLER"):
                continue
            executable = bool((item.external_attr >> 16) & 0o111)
            files[item.filename] = (archive.read(item), executable)
    if not scripts:
        raise DebianPackageError(f"{wheel}: no console scripts")
    return fields["Version"], fields["Summary"], fields.get("License", "other"), scripts, files


def write(path, data, mode, epoch):
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)
    path.chmod(mode)


def build_deb(wheel, out, epoch):
    """Writes <out>/disc-kit_<version>_all.deb and returns its path."""
    if shutil.which("dpkg-deb") is None:
        raise DebianPackageError("dpkg-deb is missing (Debian's dpkg package)")
    version, summary, license_text, scripts, files = read_wheel(wheel)
    guide = (ROOT / "docs" / "authoring.md").read_text(encoding="utf-8")
    top = sorted({name.split("/")[0] for name in files if not name.split("/")[0].endswith(".dist-info")})
    from time import gmtime, strftime
    date = strftime("%Y-%m-%d", gmtime(epoch))
    with tempfile.TemporaryDirectory(prefix="disc-kit-deb.") as temporary:
        tree = Path(temporary) / "tree"
        for name, (data, executable) in files.items():
            write(tree / SITE / name, data, 0o755 if executable else 0o644, epoch)
        for command, target in sorted(scripts.items()):
            module, _, function = target.partition(":")
            program = (f"#!/usr/bin/python3\n# {command}: the disc-kit command ({target}).\n"
                       f"import sys\nfrom {module} import {function}\nsys.exit({function}())\n")
            write(tree / "usr/bin" / command, program.encode(), 0o755, epoch)
            help_text = subprocess.run(["/usr/bin/python3", "-B", str(tree / "usr/bin" / command), "--help"],
                                       env=dict(os.environ, PYTHONPATH=str(tree / SITE), COLUMNS="78"),
                                       capture_output=True, text=True)
            if help_text.returncode != 0:
                raise DebianPackageError(f"{command} --help failed: {help_text.stderr.strip()}")
            page = manual_page(command, version, date, help_text.stdout)
            write(tree / "usr/share/man/man1" / f"{command}.1.gz", gzipped(page.encode(), epoch), 0o644, epoch)
        doc = tree / "usr/share/doc" / PACKAGE
        write(doc / "copyright", copyright_file(license_text, strftime("%Y", gmtime(epoch))).encode(), 0o644, epoch)
        write(doc / "changelog.gz", gzipped(changelog(version, epoch, maintainer()).encode(), epoch), 0o644, epoch)
        write(doc / "authoring.md.gz", gzipped(guide.encode(), epoch), 0o644, epoch)
        size = sum(p.stat().st_size for p in tree.rglob("*") if p.is_file())
        control = (f"Package: {PACKAGE}\nVersion: {version}\nArchitecture: all\n"
                   f"Maintainer: {maintainer()}\nInstalled-Size: {(size + 1023) // 1024}\n"
                   f"Depends: {DEPENDS}\nRecommends: {RECOMMENDS}\nSection: utils\nPriority: optional\n"
                   + control_description(summary, guide) + "\n")
        write(tree / "DEBIAN/control", control.encode(), 0o644, epoch)
        write(tree / "DEBIAN/prerm", PRERM.format(top=" /usr/lib/python3/dist-packages/".join(top)).encode(),
              0o755, epoch)
        for path in [tree, *tree.rglob("*")]:
            if path.is_dir():
                path.chmod(0o755)
            os.utime(path, (epoch, epoch), follow_symlinks=False)
        out.mkdir(parents=True, exist_ok=True)
        target = out / f"{PACKAGE}_{version}_all.deb"
        built = subprocess.run(["dpkg-deb", "--root-owner-group", "-Zxz", "--build", str(tree), str(target)],
                               env=dict(os.environ, SOURCE_DATE_EPOCH=str(epoch)),
                               capture_output=True, text=True)
        if built.returncode != 0:
            raise DebianPackageError(f"dpkg-deb failed: {built.stderr.strip()}")
    return target
