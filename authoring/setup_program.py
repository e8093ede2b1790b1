"""PURPOSE: the command that makes only a disc's SETUP.EXE.

    python3 -m authoring.setup_program disc.toml LAUNCHER OUTPUT [--work DIR]

makes only the SETUP.EXE of a manifest (the build makes the shipped one from
the demo disc's manifest this way); make-disc does the same for every disc.
"""
import argparse
import sys
import tempfile
from pathlib import Path

from .build import load, write_resources
from .programs import BuildError
from .setup_exe import write_setup


def main(argv=None):
    parser = argparse.ArgumentParser(prog="setup_program", description="Makes a disc's SETUP.EXE only.")
    parser.add_argument("manifest", type=Path)
    parser.add_argument("launcher", type=Path, help="the prebuilt launcher")
    parser.add_argument("output", type=Path)
    parser.add_argument("--work", type=Path, help="where the resources are written (default: a temporary folder)")
    args = parser.parse_args(argv)
    disc, report = load(args.manifest)
    if report:
        print(report, file=sys.stderr)
        return 1
    with tempfile.TemporaryDirectory() as temporary:
        work = args.work or Path(temporary)
        try:
            script, _ = write_resources(disc, work / "resources")
            write_setup(args.launcher, script, args.output)
        except (BuildError, OSError) as error:
            print(f"setup_program: {error}", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
