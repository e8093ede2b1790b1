#!/usr/bin/python3
"""Builds the shipped programs a second time, from a copy of the sources in
another folder, and makes every disc under discs/ twice with make-disc: once
from this checkout and its build, once from the copy and its build, seconds
later, with the discs' files dated otherwise and written in another order,
under another umask and time zone; SETUP.EXE, every Tarrywin.exe and
disc.iso must come out byte for byte the same. Also checks that the programs
carry no time: PE header, resource directories and the version block's file
date are all zero.

    check_reproducible.py SOURCE_ROOT BUILD_DIR WORK_DIR

BUILD_DIR is a build with the tests (its disc-kit/programs.txt names the
stand-in installer, which the copy's build, without tests, borrows).
"""
import hashlib
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import time

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2]))
from authoring.pe_image import DIRECTORY_DEBUG, DIRECTORY_EXPORT, PeFormatError, PeImage  # noqa: E402

PROGRAMS = ("SETUP.EXE", "Tarrywin.exe")
# What the programs are built from; the tests are not.
SOURCES = ("CMakeLists.txt", "cmake", "launcher", "waiter", "startup", "disc", "scripts", "standin", "walkthrough",
           "authoring")
# The discs, copied with other dates and in another order.
DISCS = "discs"
problems = []


def problem(text):
    problems.append(text)
    print("PROBLEM:", text)


def sha256(path):
    return hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest()


def pe_times(path):
    """{where: value} of every time field the program has."""
    data = pathlib.Path(path).read_bytes()
    try:
        image = PeImage(data)
    except PeFormatError:
        return {"PE signature": "missing"}
    times = {"PE header TimeDateStamp": image.time_date_stamp}
    times["debug directory size"] = image.directory(DIRECTORY_DEBUG)[1]
    times["export directory size"] = image.directory(DIRECTORY_EXPORT)[1]
    # Every table of the resource tree has its own TimeDateStamp.
    tables = image.resource_table_offsets()
    if tables:
        times["resource tables"] = len(tables)
    for at in tables:
        stamp = image.unpack("<I", at + 4)[0]
        if stamp:
            times[f"resource table at {at:#x}"] = stamp
    signature = data.find(struct.pack("<I", 0xFEEF04BD))
    if signature >= 0:
        file_date = struct.unpack_from("<II", data, signature + 44)
        times["version block file date"] = file_date[0] | file_date[1]
    return times


def check_no_times(program):
    times = pe_times(program)
    tables = times.pop("resource tables", 0)
    print(f"{program.name}: {tables} resource tables, "
          f"{'a' if 'version block file date' in times else 'no'} version block")
    for where, value in times.items():
        if value:
            problem(f"{program}: {where} is {value}, not 0")


def copy_reversed(origin, target, stamp):
    """origin's tree, entries created in reverse name order, every date
    set to stamp."""
    target.mkdir()
    for entry in sorted(origin.iterdir(), reverse=True):
        if entry.is_dir():
            copy_reversed(entry, target / entry.name, stamp)
        elif entry.name != "__pycache__":
            shutil.copyfile(entry, target / entry.name)
            os.utime(target / entry.name, (stamp, stamp))
    os.utime(target, (stamp, stamp))


def build_again(source_root, build_a, work):
    """The sources copied elsewhere and their programs built there; returns
    (copy, its build's programs.txt)."""
    source = work / "elsewhere" / "sources"
    build = work / "elsewhere" / "build"
    for folder in (source, build):
        if folder.exists():
            shutil.rmtree(folder)
    source.mkdir(parents=True)
    for name in SOURCES:
        origin = source_root / name
        if origin.is_dir():
            shutil.copytree(origin, source / name,
                            ignore=shutil.ignore_patterns("__pycache__"))
        else:
            shutil.copyfile(origin, source / name)
    copy_reversed(source_root / DISCS, source / DISCS, 1262304000)
    subprocess.run(["cmake", "-S", str(source), "-B", str(build),
                    "-DCMAKE_TOOLCHAIN_FILE=" + str(source / "cmake/toolchain-i686-mingw32.cmake"),
                    "-DCMAKE_BUILD_TYPE=Release", "-DBUILD_TESTING=OFF"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(build), "-j2", "--target", "launcher", "Tarrywin",
                    "launcher_code", "product_startup"],
                   check=True, stdout=subprocess.DEVNULL)
    # The stand-in installer is a test program, not a shipped one; the
    # build without tests has none and takes build A's.
    standin = next(line for line in (build_a / "disc-kit/programs.txt").read_text().splitlines()
                   if line.startswith("standin="))
    lines = [standin if line.startswith("standin=") else line
             for line in (build / "disc-kit/programs.txt").read_text().splitlines()]
    programs = work / "elsewhere" / "programs.txt"
    programs.write_text("\n".join(lines) + "\n")
    return source, build, programs


def commit_time(source_root):
    try:
        run = subprocess.run(["git", "-C", str(source_root), "log", "-1", "--format=%ct", "HEAD"],
                             capture_output=True, text=True)
    except FileNotFoundError:
        return ""
    return run.stdout.strip() if run.returncode == 0 else ""


def make_disc(source_root, manifest, programs, out, env_changes, umask):
    env = dict(os.environ)
    env.pop("SOURCE_DATE_EPOCH", None)
    env.update(env_changes)
    run = subprocess.run(
        ["/usr/bin/python3", str(source_root / "scripts/make-disc"), str(manifest),
         "--build-dir", str(out), "--programs", str(programs)],
        env=env, capture_output=True, text=True, preexec_fn=lambda: os.umask(umask))
    if run.returncode != 0:
        problem(f"make-disc {manifest} failed: {run.stdout}{run.stderr}")
    return out / "disc", out / "disc.iso"


def disc_programs(disc):
    return ["SETUP.EXE"] + sorted(p.relative_to(disc).as_posix() for p in disc.rglob("Tarrywin.exe"))


def same_bytes(a, b):
    return a.is_file() and b.is_file() and a.read_bytes() == b.read_bytes()


def main():
    source_root, build_a, work = (pathlib.Path(a).resolve() for a in sys.argv[1:4])
    if work.exists():
        for folder, _, _ in os.walk(work):
            os.chmod(folder, 0o755)
        shutil.rmtree(work)
    work.mkdir(parents=True)

    for name in PROGRAMS:
        check_no_times(build_a / name)

    started = time.monotonic()
    source_b, build_b, programs_b = build_again(source_root, build_a, work)
    print(f"second build of the programs: {time.monotonic() - started:.0f} s")
    for name in PROGRAMS:
        a, b = build_a / name, build_b / name
        print(f"{name}: {sha256(a)} (build A) {sha256(b)} (build B)")
        if a.read_bytes() != b.read_bytes():
            problem(f"{name} differs between {build_a} and {build_b}")

    # The copy has no git history; like a build from an exported tree, it is
    # told the commit's time. Run A reads it from git itself.
    epoch = commit_time(source_root)
    run_a = {"TZ": "UTC"}
    if not epoch:
        # A tree without git history (an exported copy of a checkout) builds
        # from SOURCE_DATE_EPOCH alone: both runs are told the same time.
        epoch = "1765000000"
        run_a["SOURCE_DATE_EPOCH"] = epoch
        print(f"{source_root} has no git history: both runs get SOURCE_DATE_EPOCH={epoch}")
    programs_a = build_a / "disc-kit/programs.txt"
    manifests = sorted(p.parent.name for p in (source_root / DISCS).glob("*/disc.toml"))
    if not manifests:
        problem(f"no disc.toml under {source_root / DISCS}")
    for name in manifests:
        out_a, out_b, out_c = (work / f"{name}-{run}" for run in "abc")
        disc_a, iso_a = make_disc(source_root, source_root / DISCS / name / "disc.toml",
                                  programs_a, out_a, run_a, 0o022)
        # A later run, seconds apart, from the copy and its build.
        time.sleep(2)
        disc_b, iso_b = make_disc(source_b, source_b / DISCS / name / "disc.toml", programs_b,
                                  out_b, {"TZ": "Pacific/Auckland", "SOURCE_DATE_EPOCH": epoch},
                                  0o077)
        if not disc_a.is_dir():
            continue
        programs = disc_programs(disc_a)
        print(f"{name}: {len(programs)} programs on the disc")
        for program in programs:
            if not same_bytes(disc_a / program, disc_b / program):
                problem(f"{name}: {program} on the disc differs between the two runs")
        print(f"{name}: disc.iso {sha256(iso_a)} (run A) "
              f"{sha256(iso_b) if iso_b.is_file() else 'missing'} (run B)")
        if not same_bytes(iso_a, iso_b):
            problem(f"{name}: disc.iso differs between the two runs")

        # The epoch does reach the image: another one gives other bytes.
        _, iso_c = make_disc(source_root, source_root / DISCS / name / "disc.toml", programs_a,
                             out_c, {"SOURCE_DATE_EPOCH": "1000000000"}, 0o022)
        if same_bytes(iso_c, iso_a):
            problem(f"{name}: disc.iso made with SOURCE_DATE_EPOCH=1000000000 equals the commit's one")

    if problems:
        print(f"{len(problems)} problem(s)")
        return 1
    print(f"reproducible: the two builds and the two makings of {', '.join(manifests)} are identical")
    return 0


if __name__ == "__main__":
    sys.exit(main())
