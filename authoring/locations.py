"""PURPOSE: where the kit runs from, decided in this one place: a checkout
(the sources and their build folders beside the package) or an installed
kit (its prebuilt programs inside the package, its work in the user's cache)."""
import os
from pathlib import Path

KIT = Path(__file__).resolve().parent
REPO = KIT.parent
IN_CHECKOUT = (REPO / "CMakeLists.txt").is_file() and (REPO / "launcher").is_dir()
# The installed kit's prebuilt programs (scripts/wheel_backend.py puts them there).
PREBUILT_PROGRAMS = KIT / "prebuilt" / "programs.txt"
# The checkout's build of the programs (CMakePresets.json, preset "default").
CHECKOUT_BUILD = REPO / "build" / "default"


def disc_build_folder(manifest_folder):
    """make-disc's default --build-dir for the disc whose manifest is in
    manifest_folder: build/discs/<name> of the checkout, else build/ beside
    the manifest."""
    manifest_folder = Path(manifest_folder)
    return REPO / "build" / "discs" / manifest_folder.name if IN_CHECKOUT else manifest_folder / "build"


def cache_folder():
    """The installed kit's own work folder: its Wine prefix and locales."""
    base = os.environ.get("XDG_CACHE_HOME") or Path.home() / ".cache"
    return Path(base) / "disc-kit"


def walkthrough_build():
    """The folder whose Wine prefix the walk-through uses: BUILD_DIR (taken
    from the checkout's root when relative) or build/default in a checkout,
    the cache folder in an installed kit."""
    if not IN_CHECKOUT:
        return cache_folder()
    return (REPO / (os.environ.get("BUILD_DIR") or CHECKOUT_BUILD)).resolve()


def locales_folder():
    """Where the walk-through generates the Linux locales it forces."""
    return REPO / "build" / "locales" if IN_CHECKOUT else cache_folder() / "locales"


def check_disc_out(plan_path, name):
    """check-disc's default --out: build/check-disc/<name> of the checkout,
    else check-disc/ beside the walkthrough.json."""
    if IN_CHECKOUT:
        return REPO / "build" / "check-disc" / name
    return Path(plan_path).resolve().parent / "check-disc"


def default_icon():
    """The launcher's icon when a manifest names none: the installed kit's
    copy, else the checkout's."""
    carried = KIT / "resources" / "launcher.ico"
    return carried if carried.is_file() else REPO / "launcher" / "resources" / "launcher.ico"


def python_path_environment(env):
    """env with the kit's package importable, for `python3 -m authoring...`."""
    paths = [str(REPO)] + [p for p in env.get("PYTHONPATH", "").split(os.pathsep) if p]
    return dict(env, PYTHONPATH=os.pathsep.join(paths))
