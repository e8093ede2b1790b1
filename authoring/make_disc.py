"""scripts/make-disc: one disc from its manifest.

    scripts/make-disc path/to/disc.toml [--preview] [--build-dir DIR]
        [--programs <build>/disc-kit/programs.txt]
        [--sign-certificate FILE] [--sign-password-env VAR] [--timestamp-url URL]
        [--unsigned]

Reads and checks the manifest (nothing is written when it has mistakes),
then builds under DIR (default build/discs/<name>/): SETUP.EXE, the disc
folder disc/, disc.iso and walkthrough.json. --preview only writes a picture
of each language's menu (DIR/preview/menu-<language>.png).

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
from .reader import read_disc
from .validation import validate

REPO = Path(__file__).resolve().parent.parent


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
    names = {}
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
            from PIL import Image
            with Image.open(source) as image:
                (resources / name).write_bytes(palette.bmp_bytes(image))
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
    print(f"sha256 {sha256(iso)}  {iso.name}")


def main(argv=None):
    parser = argparse.ArgumentParser(prog="make-disc", description="Builds one disc from its manifest.",
                                     epilog="Nothing is written when the manifest has mistakes; "
                                     "each is listed with its line and key.")
    parser.add_argument("manifest", type=Path, help="the disc's disc.toml")
    parser.add_argument("--preview", action="store_true",
                        help="only write DIR/preview/menu-<language>.png, a picture of each menu")
    parser.add_argument("--build-dir", type=Path, metavar="DIR",
                        help="where to build (default build/discs/<manifest's folder name>)")
    parser.add_argument("--programs", type=Path, metavar="FILE",
                        help="<build>/disc-kit/programs.txt of a build to link with "
                        "(default: build/default, built first)")
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
    if report:
        print(report, file=sys.stderr)
        print("make-disc: nothing was written; fix the manifest and run again", file=sys.stderr)
        return 1
    out = (args.build_dir or REPO / "build" / "discs" / disc.name).resolve()
    try:
        build_folder.check(out, {"the manifest's folder": disc.root, "the checkout": REPO,
                                 "the home folder": Path.home()})
    except build_folder.NotOurs as error:
        print(f"make-disc: {error}", file=sys.stderr)
        print("make-disc: nothing was written", file=sys.stderr)
        return 1
    resources, folder, iso = out / "resources", out / "disc", out / "disc.iso"
    if not args.preview:
        try:
            epoch = iso_image.build_epoch(REPO)
        except iso_image.IsoImageError as error:
            print(f"make-disc: {error}", file=sys.stderr)
            return 1
    build_folder.claim(out)
    if args.preview:
        build_folder.remove_old(out, ("resources", "preview"))
    else:
        build_folder.remove_old(out, ("disc.iso", "walkthrough.json", "disc", "SETUP.EXE",
                                      "SETUP.res.o", "Tarrywin.exe", "resources"))
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
        recipe_path = args.programs or programs.build_programs()
        recipe = programs.read_recipe(recipe_path)
        setup = out / "SETUP.EXE"
        programs.link_setup(recipe, script, setup)
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
        if not recipe.get("standin") and any(lang.key not in c.installers for c in disc.components
                                            for lang in disc.languages):
            raise programs.BuildError("the stand-in installer is not built (tests are off)")
        standins = disc_folder.lay_out(disc, unfinished, setup, waiter, recipe.get("standin"))
        for path in standins:
            say(f"{path}: no installer given, the demo stand-in stands in for it")
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
    say(f"{disc.name}: {setup}, {folder}, {iso} and {out / 'walkthrough.json'}")
    print_hashes(folder, iso)
    return 0
