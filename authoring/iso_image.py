"""The disc folder as an ISO 9660 image with Joliet (long, mixed-case names
for Windows) and Rock Ridge, made by xorriso."""
import os
import subprocess


class IsoError(RuntimeError):
    pass


def make_iso(disc_folder, iso_path, volume_id, epoch=None):
    if iso_path.exists():
        iso_path.unlink()
    env = dict(os.environ)
    if epoch is not None:
        env["SOURCE_DATE_EPOCH"] = str(epoch)
    run = subprocess.run(["xorriso", "-as", "mkisofs", "-quiet", "-J", "-r", "-V", volume_id,
                          "-o", str(iso_path), str(disc_folder)],
                         capture_output=True, text=True, env=env)
    if run.returncode != 0:
        raise IsoError(f"xorriso failed with code {run.returncode}:\n{run.stdout}{run.stderr}")
