"""PURPOSE: a disc's SETUP.EXE: a copy of the prebuilt launcher with the
disc's resources, compiled from the resource script the kit writes for it
(make-disc and setup_program.py call it)."""
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
