"""A disc's SETUP.EXE: a copy of the prebuilt launcher with the disc's
resources, compiled from the resource script the kit writes for it.

    python3 -m authoring.setup_program disc.toml LAUNCHER OUTPUT [--work DIR]

makes only the SETUP.EXE of a manifest (the build makes the shipped one from
the demo disc's manifest this way); make-disc does the same for every disc.
"""
import argparse
import sys
import tempfile
from pathlib import Path

from . import pe_writer, rc_compiler
from .programs import BuildError


def write_setup(launcher, script, output):
    """Writes output: the launcher with the resources of the script."""
    try:
        resources = rc_compiler.compile_script(script)
        program = pe_writer.with_resources(Path(launcher).read_bytes(), resources)
    except rc_compiler.ScriptError as error:
        raise BuildError(f"compiling the resources: {error}") from None
    except pe_writer.PeError as error:
        raise BuildError(f"{launcher}: {error}") from None
    except OSError as error:
        raise BuildError(f"cannot read {launcher}: {error.strerror}") from None
    partial = Path(output).with_name(Path(output).name + ".part")
    partial.write_bytes(program)
    partial.replace(output)


def main(argv=None):
    from .make_disc import load, write_resources
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
