#!/usr/bin/python3
"""Builds the shipped programs a second time, from a copy of the sources in
another folder, and lays out the disc twice, at different times, with
different file dates, creation order, umask and time zone; SETUP.EXE,
Tarrywin.exe and disc.iso must come out byte for byte the same. Also checks
that the programs carry no time: PE header, resource directories and the
version block's file date are all zero.

    check_reproducible.py SOURCE_ROOT BUILD_DIR STANDIN_EXE WORK_DIR
"""
import hashlib
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import time

PROGRAMS = ("SETUP.EXE", "Tarrywin.exe")
# What the programs are built from; the tests are not.
SOURCES = ("CMakeLists.txt", "cmake", "launcher", "waiter", "startup", "disc", "scripts",
           "authoring")
problems = []


def problem(text):
    problems.append(text)
    print("PROBLEM:", text)


def sha256(path):
    return hashlib.sha256(pathlib.Path(path).read_bytes()).hexdigest()


def pe_times(path):
    """{where: value} of every time field the program has."""
    data = pathlib.Path(path).read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        return {"PE signature": "missing"}
    sections, optional_size = struct.unpack_from("<H", data, pe + 6)[0], \
        struct.unpack_from("<H", data, pe + 20)[0]
    optional = pe + 24
    times = {"PE header TimeDateStamp": struct.unpack_from("<I", data, pe + 8)[0]}
    directories = [struct.unpack_from("<II", data, optional + 96 + 8 * i) for i in range(16)]
    table = [struct.unpack_from("<8sIIII", data, optional + optional_size + 40 * i)
             for i in range(sections)]

    def offset(rva):
        for _, virtual_size, address, raw_size, raw in table:
            if address <= rva < address + max(virtual_size, raw_size):
                return rva - address + raw
        return None

    times["debug directory size"] = directories[6][1]
    times["export directory size"] = directories[0][1]
    resources = offset(directories[2][0]) if directories[2][0] else None
    if resources is not None:
        # Every table of the resource tree has its own TimeDateStamp.
        pending = [0]
        times["resource tables"] = 0
        while pending:
            at = resources + pending.pop()
            stamp = struct.unpack_from("<I", data, at + 4)[0]
            named, ids = struct.unpack_from("<HH", data, at + 12)
            if stamp:
                times[f"resource table at {at:#x}"] = stamp
            times["resource tables"] += 1
            for i in range(named + ids):
                child = struct.unpack_from("<I", data, at + 16 + 8 * i + 4)[0]
                if child & 0x80000000:
                    pending.append(child & 0x7FFFFFFF)
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


def build_again(source_root, work):
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
    subprocess.run(["cmake", "-S", str(source), "-B", str(build),
                    "-DCMAKE_TOOLCHAIN_FILE=" + str(source / "cmake/toolchain-i686-mingw32.cmake"),
                    "-DCMAKE_BUILD_TYPE=Release", "-DBUILD_TESTING=OFF"],
                   check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", str(build), "-j2", "--target", "launcher", "Tarrywin"],
                   check=True, stdout=subprocess.DEVNULL)
    return build


def copy_reversed(origin, target, stamp):
    """origin's tree, entries created in reverse name order, every date
    set to stamp."""
    target.mkdir()
    for entry in sorted(origin.iterdir(), reverse=True):
        if entry.is_dir():
            copy_reversed(entry, target / entry.name, stamp)
        else:
            shutil.copyfile(entry, target / entry.name)
            os.utime(target / entry.name, (stamp, stamp))
    os.utime(target, (stamp, stamp))


def make_disc(source_root, programs, standin, files, out, env_changes, umask):
    env = dict(os.environ)
    env.pop("SOURCE_DATE_EPOCH", None)
    env.update(env_changes)
    disc, iso = out / "disc", out / "disc.iso"
    run = subprocess.run(
        ["/usr/bin/python3", str(source_root / "scripts/make-disc"),
         "--launcher", str(programs / "SETUP.EXE"), "--waiter", str(programs / "Tarrywin.exe"),
         "--standin", str(standin), "--files", str(files),
         "--standin-ini", str(source_root / "disc/standin.ini"), str(disc), str(iso)],
        env=env, capture_output=True, text=True, preexec_fn=lambda: os.umask(umask))
    if run.returncode != 0:
        problem(f"make-disc failed: {run.stdout}{run.stderr}")
    return disc, iso


def main():
    source_root, build_a, standin, work = (pathlib.Path(a).resolve() for a in sys.argv[1:5])
    if work.exists():
        for folder, _, _ in os.walk(work):
            os.chmod(folder, 0o755)
        shutil.rmtree(work)
    work.mkdir(parents=True)

    for name in PROGRAMS:
        check_no_times(build_a / name)

    started = time.monotonic()
    build_b = build_again(source_root, work)
    print(f"second build of the programs: {time.monotonic() - started:.0f} s")
    for name in PROGRAMS:
        a, b = build_a / name, build_b / name
        print(f"{name}: {sha256(a)} (build A) {sha256(b)} (build B)")
        if a.read_bytes() != b.read_bytes():
            problem(f"{name} differs between {build_a} and {build_b}")

    out_a, out_b, out_c = work / "disc-a", work / "disc-b", work / "disc-c"
    for folder in (out_a, out_b, out_c):
        folder.mkdir()
    files = source_root / "disc/files"
    disc_a, iso_a = make_disc(source_root, build_a, standin, files, out_a,
                              {"TZ": "UTC"}, 0o022)
    # A later run, seconds apart, with files dated otherwise and written in
    # another order, under another umask and time zone.
    time.sleep(2)
    files_b = work / "files-b"
    copy_reversed(files, files_b, 1262304000)
    disc_b, iso_b = make_disc(source_root, build_b, standin, files_b, out_b,
                              {"TZ": "Pacific/Auckland"}, 0o077)
    for name in ("SETUP.EXE", "tessera/w95e/Tarrywin.exe"):
        if (disc_a / name).read_bytes() != (disc_b / name).read_bytes():
            problem(f"{name} on the disc differs between the two runs")
    print(f"disc.iso: {sha256(iso_a)} (run A) {sha256(iso_b)} (run B)")
    if iso_a.read_bytes() != iso_b.read_bytes():
        problem("disc.iso differs between the two runs")

    # The epoch does reach the image: another one gives other bytes.
    _, iso_c = make_disc(source_root, build_a, standin, files, out_c,
                         {"SOURCE_DATE_EPOCH": "1000000000"}, 0o022)
    if iso_c.read_bytes() == iso_a.read_bytes():
        problem("disc.iso made with SOURCE_DATE_EPOCH=1000000000 equals the commit's one")

    if problems:
        print(f"{len(problems)} problem(s)")
        return 1
    print("reproducible: the two builds and the two discs are identical")
    return 0


if __name__ == "__main__":
    sys.exit(main())
