"""Links a disc's SETUP.EXE: the launcher's objects, built once by CMake, with
the disc's own compiled resource script.

CMake writes <build>/disc-kit/programs.txt (cmake/disc_kit.cmake): the
resource compiler, the linker and its options, the objects, and the waiter
and stand-in programs."""
import subprocess
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
DEFAULT_BUILD = REPO / "build" / "default"
TARGETS = ["launcher_code", "product_startup", "Tarrywin", "standin_installer"]


class BuildError(Exception):
    pass


def run(command, what):
    done = subprocess.run([str(c) for c in command], capture_output=True, text=True)
    if done.returncode != 0:
        raise BuildError(f"{what} failed (code {done.returncode}):\n{done.stdout}{done.stderr}")
    return done


def read_recipe(path):
    recipe = {}
    for line in path.read_text().splitlines():
        if "=" in line:
            key, value = line.split("=", 1)
            recipe[key] = [v for v in value.split(";") if v] if key in (
                "link_flags", "objects", "libraries") else value
    return recipe


def build_programs(build_dir=DEFAULT_BUILD):
    """Configures (once) and builds the launcher's objects and the programs the
    disc carries; returns the path of programs.txt."""
    if not (build_dir / "CMakeCache.txt").is_file():
        run(["cmake", "--preset", "default", "-S", REPO, "-B", build_dir], "configuring the build")
    run(["cmake", "--build", build_dir, "-j2", "--target"] + TARGETS, "building the launcher's objects")
    return build_dir / "disc-kit" / "programs.txt"


def link_setup(recipe, resource_script, output):
    res = output.with_suffix(".res.o")
    run([recipe["windres"], "-O", "coff", "-I", resource_script.parent, resource_script, res],
        "the resource compiler")
    run([recipe["cxx"]] + recipe["link_flags"] + recipe["objects"] + [res, "-o", output]
        + recipe["libraries"], "linking SETUP.EXE")
