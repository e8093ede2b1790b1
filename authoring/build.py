"""PURPOSE: the pipeline make-disc runs, as a library: the manifest read and
checked once (load), the resources written, SETUP.EXE and the disc folder
assembled, signed, and imaged (assemble). The commands (make_disc.py,
setup_program.py, check-disc) import it; it imports no command.
"""
import hashlib
import os
import shutil
from pathlib import Path

from . import (app_manifest, build_folder, disc_folder, drawing, iso_image, layout, limits, nsis,
               palette, programs, resource_script, sources)
from .reader import read_disc
from .setup_exe import write_setup
from .validation import validate
from .walkthrough import disc_plan

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


def assemble(disc, out, recipe, script, epoch, unsigned=False, no_image=False):
    """The disc under out from its checked Disc and its resource script:
    SETUP.EXE, the waiter, the disc folder, disc.iso (when xorriso is
    there and no_image is not asked) and walkthrough.json; returns
    (SETUP.EXE, the disc folder, the image)."""
    unfinished = out / build_folder.PARTIAL["disc"]
    folder, iso = out / "disc", out / "disc.iso"
    setup = out / "SETUP.EXE"
    write_setup(recipe["launcher"], script, setup)
    waiter = out / "Tarrywin.exe"
    shutil.copyfile(recipe["waiter"], waiter)
    sign(disc, [setup, waiter], epoch, unsigned)
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
                                  "(its programs.txt names none); give each component an installer")
    standins = disc_folder.lay_out(disc, unfinished, setup, waiter, recipe["standin"])
    for path in standins:
        say(f"{path}: no installer given, the demo stand-in stands in for it")
    if no_image:
        say("no image: --no-image")
    elif shutil.which("xorriso") is None:
        say(NO_XORRISO)
    else:
        try:
            iso_image.make_iso(unfinished, iso, disc.volume_id, epoch)
        except iso_image.IsoImageError as error:
            raise programs.BuildError(f"making {iso.name}: {error}") from error
    build_folder.finish(out, "disc")
    disc_plan.write(disc, out / "walkthrough.json", folder, iso)
    return setup, folder, iso
