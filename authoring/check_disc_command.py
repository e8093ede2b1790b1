"""check-disc of the installed kit: makes the disc with make-disc, then walks
through it under Wine in every language, as scripts/check-disc does in a
checkout (the kit carries that walk-through, authoring/walkthrough/, and its
driver program among the prebuilt programs).

    check-disc path/to/disc.toml [--build-dir DIR] [--out FOLDER] [--titles]
               [--installer-time SECONDS]
    check-disc --plan path/to/walkthrough.json [--out FOLDER]

The Wine prefix and the walk-through program live in the user's cache
folder ($XDG_CACHE_HOME/disc-kit, else ~/.cache/disc-kit); the log and
screenshots go to FOLDER (default: check-disc/ beside walkthrough.json).
Without Wine (or without a display and xvfb-run, or without xorriso) it
says in one line what is missing and how to get it, and checks nothing.
"""
import argparse
import json
import os
import shutil
import subprocess
import sys
from pathlib import Path

from . import programs

HERE = Path(__file__).resolve().parent
WALKTHROUGH = HERE / "walkthrough"
NEEDS = [("wine", "Wine is not installed, so nothing was walked through; install it "
          "(Debian: dpkg --add-architecture i386 && apt install wine wine32:i386)"),
         ("xorriso", "xorriso is not installed, so the disc's image cannot be read; "
          "install it (Debian and Ubuntu: apt install xorriso)")]
NO_DISPLAY = ("no display and no xvfb-run, so nothing was walked through; run it on a desktop, "
              "or install xvfb-run (Debian: apt install xvfb xauth)")


def say(text):
    print(f"check-disc: {text}", file=sys.stderr, flush=True)


def missing_tool():
    for tool, message in NEEDS:
        if shutil.which(tool) is None:
            return message
    if not os.environ.get("DISPLAY") and shutil.which("xvfb-run") is None:
        return NO_DISPLAY
    return None


def cache_folder():
    base = os.environ.get("XDG_CACHE_HOME") or Path.home() / ".cache"
    return Path(base) / "disc-kit"


def prepare_build_folder(cache):
    """The folder the walk-through takes as its build: the driver program at
    tests/disc_walkthrough.exe, the Wine prefix, the locales."""
    recipe = programs.read_recipe(programs.default_programs())
    if recipe["walkthrough"] is None:
        raise programs.BuildError("the kit carries no walk-through program")
    program = cache / "tests" / "disc_walkthrough.exe"
    program.parent.mkdir(parents=True, exist_ok=True)
    source = recipe["walkthrough"].read_bytes()
    if not program.is_file() or program.read_bytes() != source:
        program.write_bytes(source)
    return cache


def main(argv=None):
    parser = argparse.ArgumentParser(prog="check-disc", description="Walks through a disc under Wine.")
    parser.add_argument("manifest", nargs="?", type=Path, help="the disc's disc.toml")
    parser.add_argument("--plan", type=Path, help="a walkthrough.json written by make-disc (no build)")
    parser.add_argument("--build-dir", type=Path, help="where make-disc builds (as make-disc's --build-dir)")
    parser.add_argument("--out", type=Path, help="the folder for the disc's files, log and screenshots")
    parser.add_argument("--titles", action="store_true",
                        help="only list the window titles each component's installer shows")
    parser.add_argument("--installer-time", type=int, metavar="SECONDS",
                        help="how long an installer may take to be driven to its end (default 120)")
    args = parser.parse_args(argv)
    if (args.manifest is None) == (args.plan is None):
        parser.error("give a manifest or --plan, not both")
    problem = missing_tool()
    if problem:
        say(problem)
        return 1
    if args.plan is None:
        from .make_disc import main as make_disc
        options = [str(args.manifest)] + (["--build-dir", str(args.build_dir)] if args.build_dir else [])
        if make_disc(options) != 0:
            return 1
        from .make_disc import IN_CHECKOUT, REPO
        from .reader import read_disc
        disc, _ = read_disc(args.manifest)
        default_out = REPO / "build" / "discs" / disc.name if IN_CHECKOUT else disc.root / "build"
        args.plan = (args.build_dir or default_out).resolve() / "walkthrough.json"
    try:
        plan = json.loads(args.plan.read_text(encoding="utf-8"))
    except (OSError, ValueError) as error:
        say(f"cannot read {args.plan}: {error}")
        return 1
    if not Path(plan.get("iso", "")).is_file():
        say(f"{args.plan} names no disc image (made without xorriso or with --no-image?); "
            "make the disc with its image first")
        return 1
    cache = cache_folder()
    out = (args.out or args.plan.resolve().parent / "check-disc").resolve()
    try:
        build = prepare_build_folder(cache)
    except (programs.BuildError, OSError) as error:
        say(str(error))
        return 1
    env = dict(os.environ, BUILD_DIR=str(build), LOCPATH=str(cache / "locales"))
    command = [sys.executable, str(WALKTHROUGH / "scripts" / "check-disc"), "--plan", str(args.plan.resolve()),
               "--out", str(out)]
    if args.titles:
        command.append("--titles")
    if args.installer_time is not None:
        command += ["--installer-time", str(args.installer_time)]
    sys.stdout.flush()    # make-disc's lines before the walk-through's
    return subprocess.run(command, env=env).returncode


if __name__ == "__main__":
    sys.exit(main())
