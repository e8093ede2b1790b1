"""The build backend of pyproject.toml: writes the kit's wheel with the
standard library (a zip of the package, its metadata, entry points and
RECORD), so packaging needs neither network nor setuptools.

The prebuilt programs come from a build's disc-kit/programs.txt:
config_settings["programs"], else DISC_KIT_PROGRAMS, else
build/default/disc-kit/programs.txt. Every entry carries the build's epoch
as its date, so the same sources and programs give the same wheel.
"""
import base64
import hashlib
import os
import sys
import tomllib
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
PACKAGE = "authoring"
PACKAGE_FILES = ("*.py", "*.ini")
# Files of the checkout that an installed kit falls back on (the default icon).
RESOURCES = {"launcher/resources/launcher.ico": "resources/launcher.ico"}
PREBUILT = {"launcher": "launcher.exe", "waiter": "Tarrywin.exe", "standin": "standin.exe",
            "walkthrough": "walkthrough.exe"}


class PackageError(Exception):
    pass


def project():
    with open(ROOT / "pyproject.toml", "rb") as file:
        return tomllib.load(file)["project"]


def distribution_name(name):
    return name.replace("-", "_").lower()


def metadata(meta):
    lines = ["Metadata-Version: 2.1", f"Name: {meta['name']}", f"Version: {meta['version']}",
             f"Summary: {meta['description']}", f"Requires-Python: {meta['requires-python']}"]
    lines += [f"Requires-Dist: {d}" for d in meta.get("dependencies", [])]
    if "license" in meta:
        lines.append(f"License: {meta['license']['text']}")
    readme = (ROOT / meta["readme"]).read_text(encoding="utf-8") if "readme" in meta else ""
    lines.append("Description-Content-Type: text/markdown")
    return "\n".join(lines) + "\n\n" + readme


def entry_points(meta):
    lines = ["[console_scripts]"] + [f"{k} = {v}" for k, v in meta.get("scripts", {}).items()]
    return "\n".join(lines) + "\n"


def programs_file(config_settings):
    given = (config_settings or {}).get("programs") or os.environ.get("DISC_KIT_PROGRAMS")
    return Path(given) if given else ROOT / "build" / "default" / "disc-kit" / "programs.txt"


def prebuilt_programs(path):
    """{name in the package: bytes} of the programs the programs.txt names,
    and the package's own programs.txt naming them."""
    sys.path.insert(0, str(ROOT))
    from authoring.programs import BuildError, read_recipe
    try:
        recipe = read_recipe(path)
    except BuildError as error:
        raise PackageError(str(error)) from None
    files, lines = {}, []
    for key, name in PREBUILT.items():
        if recipe[key] is None or not recipe[key].is_file():
            raise PackageError(f"{path}: the {key} program is not built ({recipe[key]}); "
                               "build it first (scripts/package does)")
        files[name] = recipe[key].read_bytes()
        lines.append(f"{key}={name}")
    files["programs.txt"] = ("\n".join(lines) + "\n").encode()
    return files


def record_line(name, data):
    digest = base64.urlsafe_b64encode(hashlib.sha256(data).digest()).rstrip(b"=").decode()
    return f"{name},sha256={digest},{len(data)}"


def epoch_date():
    sys.path.insert(0, str(ROOT))
    from authoring.iso_image import build_epoch
    import time
    # Zip dates start in 1980.
    moment = time.gmtime(max(build_epoch(ROOT), 315532800))
    return moment[:6]


def wheel_entries(config_settings=None):
    meta = project()
    dist = f"{distribution_name(meta['name'])}-{meta['version']}"
    entries = {}
    # The package as it is in the checkout, its subfolders included.
    for pattern in PACKAGE_FILES:
        for path in sorted((ROOT / PACKAGE).rglob(pattern)):
            if "__pycache__" not in path.parts:
                entries[path.relative_to(ROOT).as_posix()] = path.read_bytes()
    for name, data in prebuilt_programs(programs_file(config_settings)).items():
        entries[f"{PACKAGE}/prebuilt/{name}"] = data
    for source, name in RESOURCES.items():
        entries[f"{PACKAGE}/{name}"] = (ROOT / source).read_bytes()
    info = f"{dist}.dist-info"
    entries[f"{info}/METADATA"] = metadata(meta).encode()
    entries[f"{info}/WHEEL"] = (b"Wheel-Version: 1.0\nGenerator: disc-kit wheel_backend\n"
                                b"Root-Is-Purelib: true\nTag: py3-none-any\n")
    entries[f"{info}/entry_points.txt"] = entry_points(meta).encode()
    entries[f"{info}/top_level.txt"] = f"{PACKAGE}\n".encode()
    record = [record_line(name, data) for name, data in entries.items()] + [f"{info}/RECORD,,"]
    entries[f"{info}/RECORD"] = ("\n".join(record) + "\n").encode()
    return f"{dist}-py3-none-any.whl", entries


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    name, entries = wheel_entries(config_settings)
    date = epoch_date()
    target = Path(wheel_directory) / name
    partial = target.with_name(name + ".part")
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED) as wheel:
        for entry, data in entries.items():
            info = zipfile.ZipInfo(entry, date_time=date)
            info.external_attr = 0o100644 << 16
            info.compress_type = zipfile.ZIP_DEFLATED
            wheel.writestr(info, data)
    partial.replace(target)
    return name


def get_requires_for_build_wheel(config_settings=None):
    return []
