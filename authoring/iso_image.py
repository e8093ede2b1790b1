"""The disc's ISO image, the same bytes from the same disc folder.

ISO 9660 with Joliet (long, mixed-case names for Windows) and Rock Ridge,
made by xorriso. Every time the image records -- the volume's creation and
modification dates, its UUID, every file's and folder's dates -- comes from
one epoch, so the image does not depend on when or where the folder was
written; the ISO 9660 directory order (and with it the order of the file
data) is xorriso's own sorted order, not the order of the disk's folder
listing. Rock Ridge owners and write bits are normalised with -r.
"""
import datetime
import os
import pathlib
import subprocess
import sys

from . import locations
from .errors import IsoImageError  # noqa: F401 (raised and caught as iso_image.IsoImageError)

# When neither SOURCE_DATE_EPOCH nor git can say when the sources were made
# (a tarball without history), every build still gets the same dates.
FALLBACK_EPOCH = 946684800   # 2000-01-01 00:00:00 UTC




def build_epoch(repo_root: pathlib.Path | None = None) -> int:
    """The time the build stamps on what it makes: SOURCE_DATE_EPOCH when
    set, else the commit time of git HEAD, else a fixed constant."""
    value = os.environ.get("SOURCE_DATE_EPOCH", "").strip()
    if value:
        if not value.isdigit():
            raise IsoImageError(
                f"SOURCE_DATE_EPOCH must be a number of seconds since 1970, not {value!r}")
        return int(value)
    root = pathlib.Path(repo_root) if repo_root is not None else locations.REPO
    try:
        run = subprocess.run(["git", "-C", str(root), "log", "-1", "--format=%ct", "HEAD"],
                             capture_output=True, text=True, timeout=30)
        text, reason = run.stdout.strip(), run.stderr.strip()
        if run.returncode == 0 and text.isdigit():
            return int(text)
    except (OSError, subprocess.SubprocessError) as error:
        reason = str(error)
    if (root / ".git").exists():
        # A checkout whose history git cannot read (git missing, a "dubious
        # ownership" refusal) would otherwise give other dates than the same
        # commit elsewhere, without a word.
        sys.stderr.write(f"build_epoch: cannot read the commit time of {root} ({reason}); "
                         f"dates are {iso_timestring(FALLBACK_EPOCH)[:8]} instead\n")
    return FALLBACK_EPOCH


def iso_timestring(epoch: int) -> str:
    """YYYYMMDDhhmmsscc in UTC, the form xorriso takes for the volume dates."""
    moment = datetime.datetime.fromtimestamp(epoch, datetime.timezone.utc)
    return moment.strftime("%Y%m%d%H%M%S") + "00"


def xorriso_command(disc_folder: pathlib.Path, iso_path: pathlib.Path,
                    volume_id: str, epoch: int) -> list[str]:
    return ["xorriso", "-as", "mkisofs", "-quiet", "-J", "-r",
            "-V", volume_id,
            # Volume creation and modification dates and the volume UUID.
            f"--modification-date={iso_timestring(epoch)}",
            # mtime, atime and ctime of every file and folder.
            "--set_all_file_dates", f"={epoch}",
            "-o", str(iso_path), str(disc_folder)]


def make_iso(disc_folder: pathlib.Path, iso_path: pathlib.Path, volume_id: str,
             epoch: int | None = None) -> None:
    """Makes iso_path afresh from disc_folder. The image is written under a
    temporary name beside it and takes its name only when complete, so a
    failed or interrupted run leaves no image. Raises IsoImageError, with
    xorriso's own report, when xorriso cannot."""
    disc_folder = pathlib.Path(disc_folder)
    iso_path = pathlib.Path(iso_path)
    if not disc_folder.is_dir():
        raise IsoImageError(f"{disc_folder} is not a folder")
    if epoch is None:
        epoch = build_epoch()
    partial = iso_path.with_name(iso_path.name + ".partial")
    for old in (iso_path, partial):
        if old.exists():
            # xorriso would otherwise add a session to the old image.
            old.unlink()
    env = dict(os.environ)
    # xorriso reads this for whatever date no option sets (and ISO nodes
    # without a file on disk); the local time zone must not reach the image.
    env["SOURCE_DATE_EPOCH"] = str(epoch)
    env["TZ"] = "UTC"
    try:
        try:
            run = subprocess.run(xorriso_command(disc_folder, partial, volume_id, epoch),
                                 capture_output=True, text=True, env=env)
        except OSError as error:
            raise IsoImageError(f"cannot run xorriso: {error}") from error
        if run.returncode != 0:
            # xorriso's banner and notes are noise unless it fails.
            raise IsoImageError(f"xorriso failed with code {run.returncode}:\n"
                                f"{run.stdout}{run.stderr}")
        os.replace(partial, iso_path)
    finally:
        if partial.exists():
            partial.unlink()


def write_epoch_stamp(stamp: pathlib.Path) -> None:
    """Writes build_epoch() to stamp, leaving the file (and its time) alone
    when it already says so; a build that depends on the file then remakes
    the image after a new commit and only then."""
    text = f"{build_epoch()}\n"
    stamp = pathlib.Path(stamp)
    if not stamp.is_file() or stamp.read_text() != text:
        stamp.write_text(text)


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] != "--epoch-stamp":
        sys.exit("usage: python3 -m authoring.iso_image --epoch-stamp FILE")
    try:
        write_epoch_stamp(pathlib.Path(sys.argv[2]))
    except IsoImageError as error:
        sys.exit(f"iso_image: {error}")
