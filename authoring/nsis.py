"""A component installer written as an NSIS script (.nsi): built with
makensis (Debian's nsis package) into a folder of its own holding only its
setup.exe, which make-disc then copies like any installer folder. The
script sets no OutFile; the kit names the output."""
import shutil
import subprocess
from pathlib import Path
from .errors import NsisError  # noqa: F401 (raised and caught as nsis.NsisError)



def build(script: Path, folder: Path) -> Path:
    """Builds script into folder/setup.exe (folder made afresh); returns folder."""
    makensis = shutil.which("makensis")
    if not makensis:
        raise NsisError(f"{script}: building an NSIS script needs makensis "
                        "(Debian's nsis package: apt-get install nsis)")
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    # -NOCD: the script's relative paths stay relative to its own folder,
    # where it runs from; -X before the script sets the output before it.
    run = subprocess.run([makensis, "-V2", "-NOCONFIG", f"-XOutFile {folder / 'setup.exe'}",
                          script.name], cwd=script.parent, capture_output=True, text=True,
                         errors="replace")
    if run.returncode != 0 or not (folder / "setup.exe").is_file():
        report = (run.stdout + run.stderr).strip().splitlines()
        raise NsisError(f"{script}: makensis failed:\n  " + "\n  ".join(report[-15:]))
    return folder
