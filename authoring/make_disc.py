"""PURPOSE: make-disc's command line (scripts/make-disc and the installed
kit's make-disc): one disc from its manifest, by the pipeline in build.py.

    make-disc path/to/disc.toml [--preview] [--no-image] [--build-dir DIR]
        [--programs programs.txt]
        [--sign-certificate FILE] [--sign-password-env VAR] [--timestamp-url URL]
        [--unsigned]

Reads and checks the manifest (nothing is written when it has mistakes),
then builds under DIR (default: in a checkout build/discs/<name>/, else the
manifest's folder's build/): SETUP.EXE, the disc folder disc/, disc.iso and
walkthrough.json. --preview only writes a picture of each language's menu
(DIR/preview/menu-<language>.png); --no-image leaves out disc.iso.

SETUP.EXE is the kit's prebuilt launcher with the disc's resources written
in (setup_exe.py); no compiler, linker or shell is involved, and every
program the kit starts (xorriso, osslsigncode, git) gets its arguments as a
list. Without xorriso the disc folder is still built, and make-disc says so.

Every date the image and the signatures record is the build's epoch
(SOURCE_DATE_EPOCH, else the commit time), so the same commit gives the same
bytes; the last lines give the sha256 of each program and of the image.
"""
import argparse
import sys
from pathlib import Path

from . import build, build_folder, drawing, iso_image, locations, nsis, preview, programs
from .build import load, say, sha256, disc_programs, withdraw_earlier_image, write_resources
from .errors import exit_code
from .locations import IN_CHECKOUT, REPO


def print_hashes(folder, iso):
    """One line per distinct program and one for the image, to compare a
    pressed disc with a rebuild of its commit."""
    seen = set()
    for path in disc_programs(folder):
        key = (path.name, sha256(path))
        if key not in seen:
            seen.add(key)
            print(f"sha256 {key[1]}  {path.relative_to(folder).as_posix()}")
    if iso.is_file():
        print(f"sha256 {sha256(iso)}  {iso.name}")


def main(argv=None):
    parser = argparse.ArgumentParser(prog="make-disc", description="Builds one disc from its manifest.",
                                     epilog="Nothing is written when the manifest has mistakes; "
                                     "each is listed with its line and key.")
    parser.add_argument("manifest", type=Path, help="the disc's disc.toml")
    parser.add_argument("--preview", action="store_true",
                        help="only write DIR/preview/menu-<language>.png, a picture of each menu")
    parser.add_argument("--no-image", action="store_true", help="build the disc folder only, no disc.iso")
    parser.add_argument("--build-dir", type=Path, metavar="DIR",
                        help="where to build (default: in a checkout build/discs/<manifest's "
                        "folder name>, else build/ beside the manifest)")
    parser.add_argument("--programs", type=Path, metavar="FILE",
                        help="the programs.txt naming the prebuilt programs, e.g. a build's "
                        "disc-kit/programs.txt (default: the installed kit's own; in a "
                        "checkout, build/default, built first)")
    parser.add_argument("--sign-certificate", metavar="FILE", help="sign with this certificate ([signing] certificate)")
    parser.add_argument("--sign-password-env", metavar="VAR",
                        help="environment variable holding its password ([signing] password_env)")
    parser.add_argument("--timestamp-url", metavar="URL", help="time-stamping server ([signing] timestamp_url)")
    parser.add_argument("--unsigned", action="store_true",
                        help="sign nothing, whatever [signing] says: the rebuild that "
                        "scripts/check-disc-origin compares a signed disc with")
    args = parser.parse_args(argv)
    if args.unsigned and args.sign_certificate:
        parser.error("--unsigned and --sign-certificate contradict each other")
    overrides = {"certificate": args.sign_certificate, "password_env": args.sign_password_env,
                 "timestamp_url": args.timestamp_url, "unsigned": args.unsigned}
    disc, report = load(args.manifest, overrides)
    root = Path(args.manifest).resolve().parent
    out = (args.build_dir or locations.disc_build_folder(root)).resolve()
    protected = {"the manifest's folder": root, "the checkout" if IN_CHECKOUT else "the kit's own folder": REPO,
                 "the home folder": Path.home()}
    if report:
        print(report, file=sys.stderr)
        print("make-disc: nothing was written; fix the manifest and run again", file=sys.stderr)
        withdraw_earlier_image(out, protected)
        return 1
    try:
        build_folder.check(out, protected)
    except build_folder.NotOurs as error:
        print(f"make-disc: {error}", file=sys.stderr)
        print("make-disc: nothing was written", file=sys.stderr)
        return 1
    resources, folder, iso = out / "resources", out / "disc", out / "disc.iso"
    if not args.preview:
        try:
            # The kit's own commit in a checkout; an installed kit takes the
            # time of the commit the manifest is in, if any.
            epoch = iso_image.build_epoch(REPO if IN_CHECKOUT else disc.root)
        except iso_image.IsoImageError as error:
            print(f"make-disc: {error}", file=sys.stderr)
            return 1
    build_folder.claim(out)
    if args.preview:
        build_folder.remove_old(out, ("resources", "preview"))
    else:
        build_folder.remove_old(out, ("disc.iso", "walkthrough.json", "disc", "SETUP.EXE",
                                      "SETUP.res.o", "Tarrywin.exe", "installers", "resources"))
    try:
        script, bitmaps = write_resources(disc, resources)
    except drawing.NoFont as error:
        print(f"{args.manifest}: {error}", file=sys.stderr)
        return 1
    if args.preview:
        full = {k: {key: resources / name for key, name in v.items()} for k, v in bitmaps.items()}
        for path in preview.write_previews(disc, full, out / "preview"):
            say(f"preview {path}")
        return 0
    try:
        recipe = programs.read_recipe(args.programs or programs.default_programs())
        setup, folder, iso = build.assemble(disc, out, recipe, script, epoch, args.unsigned, args.no_image)
    except (programs.BuildError, nsis.NsisError, OSError) as error:
        print(f"make-disc: {error}", file=sys.stderr)
        build_folder.remove_old(out, ("disc.iso", "walkthrough.json", "disc"))
        return exit_code("make-disc", error)
    made = [setup, folder] + ([iso] if iso.is_file() else [])
    say(f"{disc.name}: {', '.join(map(str, made))} and {out / 'walkthrough.json'}")
    print_hashes(folder, iso)
    return 0


if __name__ == "__main__":
    sys.exit(main())
