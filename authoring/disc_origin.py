"""Whether a disc image was made from this checkout: its files against a
rebuild's disc folder, and its bytes against an image made again from that
folder.

Signatures cannot be made again without the signer's key, so a signed
program is compared with its signature removed (which gives back the
program as it was before signing, byte for byte), on the disc and in the
rebuild alike, and the image is made again from the rebuild with the disc's
own programs put in. Every other byte of the image follows from the sources
and the commit's time.
"""
import hashlib
import os
import pathlib
import shutil
import subprocess
import tempfile

from authoring.iso_image import build_epoch, make_iso
from authoring.signing import SigningError, is_signed, strip_signature
from .errors import DiscOriginError  # noqa: F401 (raised and caught as disc_origin.DiscOriginError)



def volume_id(iso: pathlib.Path) -> str:
    with open(iso, "rb") as image:
        image.seek(16 * 2048)
        primary = image.read(2048)
    if primary[0:6] != b"\x01CD001":
        raise DiscOriginError(f"{iso} has no ISO 9660 primary volume descriptor")
    return primary[40:72].decode("ascii", "replace").rstrip()


def extract(iso: pathlib.Path, folder: pathlib.Path) -> None:
    run = subprocess.run(["xorriso", "-osirrox", "on", "-indev", str(iso),
                          "-extract", "/", str(folder)], capture_output=True, text=True)
    if run.returncode != 0:
        raise DiscOriginError(f"xorriso cannot read {iso}:\n{run.stdout}{run.stderr}")
    # The disc's files come out read-only, as on the disc.
    for here, dirs, files in os.walk(folder):
        os.chmod(here, 0o755)
        for name in files:
            os.chmod(os.path.join(here, name), 0o644)


def relative_files(folder: pathlib.Path) -> set[str]:
    return {path.relative_to(folder).as_posix() for path in folder.rglob("*") if path.is_file()}


def sha256(path: pathlib.Path) -> str:
    return hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest()


def unsigned_copy(path: pathlib.Path, temp: pathlib.Path, label: str) -> pathlib.Path:
    """path itself when it carries no signature, else a copy without it."""
    if not is_signed(path):
        return path
    unsigned = temp / f"unsigned-{label}"
    strip_signature(path, unsigned)
    return unsigned


def compare(disc_iso: pathlib.Path, rebuilt_folder: pathlib.Path,
            epoch: int | None = None) -> list[str]:
    """The differences between disc_iso and a rebuild whose disc folder is
    rebuilt_folder; an empty list when the disc is the rebuild."""
    disc_iso, rebuilt_folder = pathlib.Path(disc_iso), pathlib.Path(rebuilt_folder)
    if not disc_iso.is_file():
        raise DiscOriginError(f"{disc_iso} does not exist")
    if not rebuilt_folder.is_dir():
        raise DiscOriginError(f"{rebuilt_folder} is not a folder")
    if epoch is None:
        epoch = build_epoch()
    differences = []
    with tempfile.TemporaryDirectory() as temp:
        pressed = pathlib.Path(temp, "disc")
        extract(disc_iso, pressed)
        on_disc, rebuilt = relative_files(pressed), relative_files(rebuilt_folder)
        differences += [f"only on the disc: {name}" for name in sorted(on_disc - rebuilt)]
        differences += [f"only in the rebuild: {name}" for name in sorted(rebuilt - on_disc)]
        signed = []
        for name in sorted(on_disc & rebuilt):
            disc_file, rebuilt_file = pressed / name, rebuilt_folder / name
            if is_signed(disc_file) or is_signed(rebuilt_file):
                signed.append(name)
                try:
                    disc_file = unsigned_copy(disc_file, pathlib.Path(temp), "disc")
                    rebuilt_file = unsigned_copy(rebuilt_file, pathlib.Path(temp), "rebuild")
                except SigningError as error:
                    differences.append(f"{name}: {error}")
                    continue
            if disc_file.read_bytes() != rebuilt_file.read_bytes():
                differences.append(f"{name} differs"
                                   + (" (its signature removed)" if name in signed else ""))
        if differences:
            return differences
        # The image again: the rebuild with the disc's own signed programs.
        candidate = pathlib.Path(temp, "candidate")
        shutil.copytree(rebuilt_folder, candidate)
        for name in signed:
            shutil.copyfile(pressed / name, candidate / name)
        image = pathlib.Path(temp, "candidate.iso")
        make_iso(candidate, image, volume_id(disc_iso), epoch)
        if sha256(image) != sha256(disc_iso):
            differences.append(
                f"the files are the same but the image is not: {sha256(disc_iso)} on the "
                f"disc, {sha256(image)} made again with epoch {epoch} (another commit "
                f"time or SOURCE_DATE_EPOCH, or another xorriso)")
    return differences
