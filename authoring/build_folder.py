"""The build folder make-disc writes into: what it may hold of the kit's, what
may be removed, and where an unfinished build goes.

The kit writes only the names in OUTPUTS, and removes or replaces only those
it wrote itself: a folder is the kit's when it carries the MARK file (or an
earlier kit's resource script). A folder that holds the manifest's folder,
the checkout or the home folder is never a build folder. The disc folder and
the image are made under PARTIAL names and take their own names only when
the image is complete, so a failed or interrupted run leaves neither.
"""
import os
import shutil
from pathlib import Path
from .errors import NotOurs  # noqa: F401 (raised and caught as build_folder.NotOurs)

MARK = ".make-disc"
OUTPUTS = ("resources", "SETUP.EXE", "SETUP.res.o", "Tarrywin.exe", "installers", "disc", "disc.iso",
           "walkthrough.json", "preview")
PARTIAL = {"disc": "disc.partial", "disc.iso": "disc.iso.partial"}
# An earlier kit marked nothing, but its resource script says who wrote it.
OLD_SCRIPT = ("resources/disc.rc", "/* The resources of this disc's SETUP.EXE, written by the authoring kit")



def is_kits(out):
    if (out / MARK).is_file():
        return True
    script = out / OLD_SCRIPT[0]
    try:
        with open(script, encoding="utf-8", errors="replace") as text:
            return text.read(len(OLD_SCRIPT[1])) == OLD_SCRIPT[1]
    except OSError:
        return False


def within(inner, outer):
    return inner == outer or outer in inner.parents


def check(out, protected):
    """Raises NotOurs unless the kit may write its outputs into out; protected
    maps a description to a folder out must not hold."""
    for what, folder in protected.items():
        folder = Path(folder).resolve()
        if within(folder, out):
            raise NotOurs(f"{out} holds {what} ({folder}); give a build folder of its own")
    if out.exists() and not out.is_dir():
        raise NotOurs(f"{out} is not a folder")
    if not out.is_dir() or is_kits(out):
        return
    names = list(OUTPUTS) + list(PARTIAL.values())
    found = [name for name in names if os.path.lexists(out / name)]
    if found:
        raise NotOurs(f"{out} already holds {', '.join(found)}, which make-disc did not write; "
                      "remove them or give another build folder")


def claim(out):
    """Marks out as the kit's, before the kit writes anything else into it."""
    out.mkdir(parents=True, exist_ok=True)
    mark = out / MARK
    if not mark.is_file():
        mark.write_text("This folder is written by scripts/make-disc, which removes and replaces "
                        f"only these in it: {', '.join(OUTPUTS)}.\n", encoding="utf-8")


def remove(path):
    """Removes one of the kit's outputs, a file or a folder (which a demo run
    may have left read-only, as on a real disc)."""
    if path.is_symlink() or path.is_file():
        path.unlink()
    elif path.is_dir():
        for here, _, _ in os.walk(path):
            os.chmod(here, 0o755)
        shutil.rmtree(path)


def remove_old(out, names):
    """An earlier run's outputs go before anything is built, so a run that
    fails leaves nothing that looks like its own; unfinished ones too."""
    for name in names:
        remove(out / name)
        if name in PARTIAL:
            remove(out / PARTIAL[name])


def finish(out, name):
    """The unfinished output takes its own name."""
    os.replace(out / PARTIAL[name], out / name)
