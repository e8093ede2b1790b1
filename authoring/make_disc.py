"""scripts/make-disc: one disc from its manifest.

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
in (setup_program.py); no compiler, linker or shell is involved, and every
program the kit starts (xorriso, osslsigncode, git) gets its arguments as a
list. Without xorriso the disc folder is still built, and make-disc says so.

Every date the image and the signatures record is the build's epoch
(SOURCE_DATE_EPOCH, else the commit time), so the same commit gives the same
bytes; the last lines give the sha256 of each program and of the image.
"""
import argparse
import hashlib
import os
import shutil
import sys
from pathlib import Path

from . import (app_manifest, build_folder, disc_folder, drawing, iso_image, layout, limits, nsis,
               palette, preview, programs, resource_script, sources, walkthrough_plan)
from .setup_program import write_setup
from .reader import read_disc
from .validation import validate

REPO = Path(__file__).resolve().parent.parent
IN_CHECKOUT = (REPO / "CMakeLists.txt").is_file() and (REPO / "launcher").is_dir()
NO_XORRISO = ("no image: xorriso is not installed, so only the disc folder was built; "
              "install xorriso (Debian and Ubuntu: apt install xorriso) for disc.iso")
NO_OSSLSIGNCODE = ("not signed: osslsigncode is not installed and the manifest asks for signed "
                   "programs, so nothing was built; install osslsigncode (Debian and Ubuntu: "
                   "apt install osslsigncode), or build with --unsigned")


def say(text):
    print(f"make-disc: {text}", flush=True)


def load(manifest, overrides=None):
    """(Disc, None) or (None, report of every mistake)."""
    disc, problems = read_disc(manifest, overrides)
    if disc is not None:
        # The checks also run over a manifest the reader found mistakes in, so
        # that one run lists them all; a check that cannot make sense of what
        # the reader could not read waits for those mistakes to be fixed, and
        # the others still run.
        misread = bool(problems)
        for check in (layout.plan, validate, limits.check, sources.check):
            try:
                check(disc, problems)
            except (KeyError, AttributeError, TypeError, ValueError, StopIteration, IndexError):
                if not misread:
                    raise
        if not problems:
            drawing.check_fonts(disc, problems)
    if problems:
        return None, problems.report(Path(manifest))
    return disc, None


def prepare_pictures(disc, resources):
    """Each language's bitmaps in the launcher's palette, under resources/;
    returns {language key: {"background" or button number: file name}}."""
    names, converted = {}, {}
    for lang in disc.languages:
        if lang.background is None:
            sources, drawn = drawing.ensure_drawn(disc, lang)
            if drawn:
                say(f"drew the {lang.name} pictures into {disc.pictures_folder}")
        else:
            sources = {"background": lang.background}
            sources.update({b.number: b.pictures[lang.key] for b in disc.buttons})
        names[lang.key] = {}
        for key, source in sources.items():
            name = f"{lang.key}_{'background' if key == 'background' else f'button{key}'}.bmp"
            if source not in converted:
                # Languages often share a picture: it is converted once.
                from PIL import Image
                with Image.open(source) as image:
                    converted[source] = palette.bmp_bytes(image)
            (resources / name).write_bytes(converted[source])
            names[lang.key][key] = name
    return names


def write_resources(disc, resources):
    resources.mkdir(parents=True, exist_ok=True)
    names = prepare_pictures(disc, resources)
    (resources / "palette.bin").write_bytes(palette.palette_bytes())
    shutil.copyfile(disc.icon, resources / "launcher.ico")
    (resources / "setup.manifest").write_text(app_manifest.application_manifest(disc.product),
                                              encoding="utf-8", newline="\n")
    files = {"palette": "palette.bin", "icon": "launcher.ico", "manifest": "setup.manifest"}
    files.update(names)
    script = resources / "disc.rc"
    script.write_text(resource_script.resource_script(disc, files), encoding="utf-8", newline="\n")
    return script, names


def sign(disc, paths, epoch, unsigned=False):
    if unsigned:
        say("not signed: --unsigned")
        return
    if disc.signing.certificate is None:
        say("not signed: no certificate")
        return
    # osslsigncode is needed only by a disc that is signed.
    if shutil.which("osslsigncode") is None:
        raise programs.BuildError(NO_OSSLSIGNCODE)
    from . import signing
    try:
        # The signing time is the epoch, so a signed disc is reproducible
        # too (unless a time-stamp server adds its own time).
        signing.sign_programs(paths, signing.SigningSettings(
            certificate=disc.signing.certificate, password_env=disc.signing.password_env,
            timestamp_url=disc.signing.timestamp_url), signing_time=epoch)
    except signing.SigningError as error:
        raise programs.BuildError(f"signing failed: {error}") from error
    say(f"signed {', '.join(p.name for p in paths)} with {disc.signing.certificate}")


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as data:
        for block in iter(lambda: data.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def disc_programs(folder):
    """SETUP.EXE and every Tarrywin.exe on the disc, in a fixed order."""
    found = [folder / "SETUP.EXE"]
    for here, dirs, files in os.walk(folder):
        dirs.sort()
        found += [Path(here, name) for name in sorted(files) if name == "Tarrywin.exe"]
    return found


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


def withdraw_earlier_image(out, protected):
    """After a refusal, an earlier run's image and disc folder would look like
    this run's: they go, where the build folder is the kit's."""
    try:
        build_folder.check(out, protected)
    except build_folder.NotOurs:
        return
    if out.is_dir() and build_folder.is_kits(out):
        old = [name for name in ("disc.iso", "disc", "walkthrough.json") if os.path.lexists(out / name)]
        build_folder.remove_old(out, ("disc.iso", "walkthrough.json", "disc"))
        if old:
            say(f"removed the earlier {', '.join(old)} from {out}, which this run did not make")


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
    default_out = REPO / "build" / "discs" / root.name if IN_CHECKOUT else root / "build"
    out = (args.build_dir or default_out).resolve()
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
    unfinished = out / build_folder.PARTIAL["disc"]
    try:
        recipe = programs.read_recipe(args.programs or programs.default_programs())
        setup = out / "SETUP.EXE"
        write_setup(recipe["launcher"], script, setup)
        waiter = out / "Tarrywin.exe"
        shutil.copyfile(recipe["waiter"], waiter)
        sign(disc, [setup, waiter], epoch, args.unsigned)
        built = {}
        for component in disc.components:
            for lang, given in list(component.installers.items()):
                if given.is_file() and given.suffix.lower() == ".nsi":
                    if given not in built:
                        built[given] = nsis.build(given, out / "installers" / f"{component.id}-{len(built) + 1}")
                        say(f"{given}: built into {built[given] / 'setup.exe'}")
                    component.installers[lang] = built[given]
        if not recipe["standin"] and any(lang.key not in c.installers for c in disc.components
                                         for lang in disc.languages):
            raise programs.BuildError("the stand-in installer is not among the programs "
                                      "(a build with the tests off); give each component an installer")
        standins = disc_folder.lay_out(disc, unfinished, setup, waiter, recipe["standin"])
        for path in standins:
            say(f"{path}: no installer given, the demo stand-in stands in for it")
        if args.no_image:
            say("no image: --no-image")
        elif shutil.which("xorriso") is None:
            say(NO_XORRISO)
        else:
            try:
                iso_image.make_iso(unfinished, iso, disc.volume_id, epoch)
            except iso_image.IsoImageError as error:
                raise programs.BuildError(f"making {iso.name}: {error}") from error
        build_folder.finish(out, "disc")
        walkthrough_plan.write(disc, out / "walkthrough.json", folder, iso)
    except (programs.BuildError, nsis.NsisError, OSError) as error:
        print(f"make-disc: {error}", file=sys.stderr)
        build_folder.remove_old(out, ("disc.iso", "walkthrough.json", "disc"))
        return 1
    made = [setup, folder] + ([iso] if iso.is_file() else [])
    say(f"{disc.name}: {', '.join(map(str, made))} and {out / 'walkthrough.json'}")
    print_hashes(folder, iso)
    return 0
