"""The prebuilt programs a disc is made from: the launcher without any disc's
resources (its code, start-up and imports, the same for every disc), the
waiter, the stand-in installer and the walk-through's driver program.

They are named by a programs.txt, one key=path a line (launcher, waiter,
standin, walkthrough), a relative path taken from the file's own folder:
the installed kit carries one beside its programs (authoring/prebuilt/); a
build of the programs writes <build>/disc-kit/programs.txt
(cmake/disc_kit.cmake). In a checkout without either, the programs are
built first with CMake.
"""
import subprocess
from pathlib import Path

from .locations import CHECKOUT_BUILD, IN_CHECKOUT, PREBUILT_PROGRAMS, REPO
from .errors import BuildError  # noqa: F401 (raised and caught as programs.BuildError)
TARGETS = ["launcher_prebuilt", "Tarrywin", "standin_installer"]
KEYS = ("launcher", "waiter", "standin", "walkthrough")



def run(command, what):
    done = subprocess.run([str(c) for c in command], capture_output=True, text=True)
    if done.returncode != 0:
        raise BuildError(f"{what} failed (code {done.returncode}):\n{done.stdout}{done.stderr}")
    return done


def read_recipe(path):
    """{key: Path or None} from a programs.txt; a key without a path (the
    stand-in in a programs.txt that names none) is None."""
    path = Path(path)
    try:
        text = path.read_text(encoding="utf-8")
    except OSError as error:
        raise BuildError(f"cannot read {path}: {error.strerror}") from None
    recipe = dict.fromkeys(KEYS)
    for line in text.splitlines():
        if "=" in line:
            key, value = line.split("=", 1)
            if key in KEYS and value.strip():
                recipe[key] = path.parent / value.strip()
    if recipe["launcher"] is None or recipe["waiter"] is None:
        raise BuildError(f"{path} names no launcher or no waiter")
    return recipe


def build_programs(build_dir=CHECKOUT_BUILD):
    """Configures (once) and builds the prebuilt programs in the checkout;
    returns the path of programs.txt."""
    if not IN_CHECKOUT:
        raise BuildError("this kit carries no prebuilt programs and is not in a checkout "
                         "that could build them; install the kit's package")
    if not (build_dir / "CMakeCache.txt").is_file():
        run(["cmake", "--preset", "default", "-S", REPO, "-B", build_dir], "configuring the build")
    run(["cmake", "--build", build_dir, "-j2", "--target"] + TARGETS, "building the programs")
    return build_dir / "disc-kit" / "programs.txt"


def default_programs():
    """The installed kit's programs, else a build of this checkout."""
    return PREBUILT_PROGRAMS if PREBUILT_PROGRAMS.is_file() else build_programs()
