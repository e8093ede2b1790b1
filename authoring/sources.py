"""What the build will read from disk, checked before anything is written:
the folders copied onto the disc (links, special files), the author's
pictures (readable, whole, not too big), the icon, the stand-in template,
and the signing certificate with its password.

Links in a copied folder: a link to a file inside the same folder is copied
as that file; a link to a folder, a link that leads out of the folder and a
link to nothing are refused, so no file from elsewhere reaches the disc and
every name on it is checked where it lies.
"""
import os
import stat
import struct
import subprocess

from PIL import Image

MAX_BACKGROUND = (800, 600)      # pixels: the menu must fit an 800 x 600 screen
MAX_EMBLEM = (1024, 1024)        # pixels: an emblem is shrunk to a 34-pixel tile
MAX_ICON_BYTES = 1 << 20


def copied_folder(problems, key, root):
    """Every entry of a folder the build copies onto the disc."""
    if root is None or not root.is_dir():
        return
    real_root = os.path.realpath(root)
    for here, dirs, files in os.walk(root):
        for name in dirs + files:
            path = os.path.join(here, name)
            rel = os.path.relpath(path, root)
            try:
                st = os.lstat(path)
            except OSError as error:
                problems.add(key, f"{rel}: cannot be read ({error.strerror})")
                continue
            if stat.S_ISLNK(st.st_mode):
                target = os.path.realpath(path)
                if not os.path.exists(path):
                    problems.add(key, f"{rel}: a link to nothing ({os.readlink(path)}); remove it")
                elif os.path.commonpath([real_root, target]) != real_root:
                    problems.add(key, f"{rel}: a link that leads out of the folder ({target}); "
                                 "copy the file in instead")
                elif os.path.isdir(target):
                    problems.add(key, f"{rel}: a link to a folder; put the folder itself here")
                elif not os.access(target, os.R_OK):
                    problems.add(key, f"{rel}: cannot be read")
            elif stat.S_ISDIR(st.st_mode):
                if not os.access(path, os.R_OK | os.X_OK):
                    problems.add(key, f"{rel}: a folder that cannot be read")
            elif not stat.S_ISREG(st.st_mode):
                problems.add(key, f"{rel}: not a file or folder (a device, pipe or socket); remove it")
            elif not os.access(path, os.R_OK):
                problems.add(key, f"{rel}: cannot be read")


def picture_size(path):
    """(width, height) from the picture's header, or raises ValueError saying
    why it is no picture. Only the header is read, so a picture of any size
    is measured (Pillow's guard against huge ones is for decoding)."""
    guard, Image.MAX_IMAGE_PIXELS = Image.MAX_IMAGE_PIXELS, None
    try:
        with Image.open(path) as image:
            return image.size
    except (OSError, SyntaxError, ValueError, Image.DecompressionBombError) as error:
        raise ValueError(f"not a picture the kit reads ({type(error).__name__}: {error})") from None
    finally:
        Image.MAX_IMAGE_PIXELS = guard


def check_picture(problems, key, path, largest):
    """A picture that exists: within largest and whole (decoded once)."""
    if path is None or not path.is_file():
        return
    try:
        w, h = picture_size(path)
    except ValueError as error:
        problems.add(key, str(error))
        return
    if w > largest[0] or h > largest[1]:
        problems.add(key, f"{w} x {h} pixels: the most is {largest[0]} x {largest[1]}")
        return
    try:
        with Image.open(path) as image:
            image.load()
    except (OSError, SyntaxError, ValueError) as error:
        problems.add(key, f"cannot be read whole ({error})")


def check_pictures(disc, problems):
    for i, lang in enumerate(disc.languages, 1):
        check_picture(problems, f"language[{i}].background", lang.background, MAX_BACKGROUND)
    for b in disc.buttons:
        for lang, path in b.pictures.items():
            check_picture(problems, f"button[{b.number}].picture.{lang}", path, MAX_BACKGROUND)
        check_picture(problems, f"button[{b.number}].emblem", b.emblem, MAX_EMBLEM)


def icon_problem(data):
    """Why data is no icon file the resource compiler takes, or None."""
    if len(data) > MAX_ICON_BYTES:
        return f"{len(data)} bytes; an icon file is at most {MAX_ICON_BYTES}"
    if len(data) < 6:
        return "not an icon file (.ico): too short"
    reserved, kind, count = struct.unpack_from("<HHH", data)
    if reserved != 0 or kind != 1 or count == 0:
        return "not an icon file (.ico)"
    if len(data) < 6 + 16 * count:
        return "its image directory is cut short"
    for i in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        if size == 0 or offset + size > len(data):
            return f"its image {i + 1} lies outside the file"
    return None


def check_icon(disc, problems):
    if disc.icon is None or not disc.icon.is_file():
        return
    try:
        reason = icon_problem(disc.icon.read_bytes()[:MAX_ICON_BYTES + 1])
    except OSError as error:
        reason = f"cannot be read ({error.strerror})"
    if reason:
        problems.add("disc.icon", reason)


def check_standin(disc, problems):
    path = disc.standin_template
    if path is None or not path.is_file():
        return
    try:
        path.read_bytes().decode("utf-8")
    except UnicodeDecodeError:
        problems.add("disc.standin", f"{path.name} is not text in UTF-8")
    except OSError as error:
        problems.add("disc.standin", f"cannot be read ({error.strerror})")


def check_signing(disc, problems):
    """The certificate opens with its password, so signing cannot fail
    after SETUP.EXE is made for want of either."""
    signing = disc.signing
    if signing.certificate is None or not signing.certificate.is_file():
        return
    if not signing.password_env:
        problems.add("signing.password_env", "names no environment variable for the certificate's password")
        return
    password = os.environ.get(signing.password_env)
    if password is None:
        problems.add("signing.password_env", f"the certificate's password is read from the environment "
                     f"variable {signing.password_env}, which is not set")
        return
    runs = []
    for legacy in ([], ["-legacy"]):
        try:
            runs.append(subprocess.run(["openssl", "pkcs12", *legacy, "-in", str(signing.certificate),
                                        "-noout", "-passin", "stdin"], input=password + "\n",
                                       capture_output=True, text=True, timeout=60))
        except (OSError, subprocess.SubprocessError) as error:
            problems.add("signing.certificate", f"cannot be checked: openssl did not run ({error})")
            return
        if runs[-1].returncode == 0:
            return          # older certificates open only with the legacy algorithms
    report = runs[0].stderr.lower()
    wrong = "mac verify failure" in report or "invalid password" in report
    problems.add("signing.certificate", f"{signing.certificate.name}: "
                 + (f"the password in {signing.password_env} does not open it" if wrong
                    else "not a PKCS#12 certificate (.p12 or .pfx) that openssl can read"))


def check(disc, problems):
    copied_folder(problems, "disc.files", disc.files)
    for j, c in enumerate(disc.components, 1):
        checked = []
        for lang, installer in c.installers.items():
            if installer not in checked:
                checked.append(installer)
                copied_folder(problems, f"component[{j}].installer"
                              + (f".{lang}" if c.installers_by_language else ""), installer)
    check_pictures(disc, problems)
    check_icon(disc, problems)
    check_standin(disc, problems)
    check_signing(disc, problems)
