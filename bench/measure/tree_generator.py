"""The copy benchmark's source tree: 5,000 files in 200 directories, about
200 MB, mixed sizes, the same bytes on every machine (seeded generator).

Layout: 10 top-level directories of 19 subdirectories each (200 directories),
25 files in each directory. Names vary in length, so the tree walk's path
buffer is refitted now and then. Sizes: mostly small files, some medium,
a few large, scaled so that the total is TOTAL_BYTES."""
import os
import random
import shutil

SEED = 20240909
TOP_DIRECTORIES = 10
SUBDIRECTORIES = 19
FILES_PER_DIRECTORY = 25
TOTAL_BYTES = 200_000_000
VERSION = f"tree-v1 {SEED} {TOP_DIRECTORIES} {SUBDIRECTORIES} {FILES_PER_DIRECTORY} {TOTAL_BYTES}"


def _name(rng, stem):
    return stem + "_" + "".join(rng.choice("abcdefghkmnpqrstuvwxyz") for _ in range(rng.randint(0, 24)))


def _raw_size(rng):
    draw = rng.random()
    if draw < 0.70:
        return rng.randint(0, 16 * 1024)
    if draw < 0.95:
        return rng.randint(16 * 1024, 256 * 1024)
    return rng.randint(256 * 1024, 4 * 1024 * 1024)


def layout():
    """[(relative directory, [(file name, size)])] in creation order."""
    rng = random.Random(SEED)
    directories = []
    for t in range(TOP_DIRECTORIES):
        top = _name(rng, f"dir{t:02d}")
        directories.append(top)
        for s in range(SUBDIRECTORIES):
            directories.append(os.path.join(top, _name(rng, f"sub{s:02d}")))
    files = [[(_name(rng, f"file{k:02d}") + rng.choice([".dat", ".bin", ".txt", ".dll"]),
               _raw_size(rng)) for k in range(FILES_PER_DIRECTORY)] for _ in directories]
    raw_total = sum(size for listing in files for _, size in listing)
    scale = TOTAL_BYTES / raw_total
    return [(d, [(name, int(size * scale)) for name, size in listing])
            for d, listing in zip(directories, files)]


def ensure(root):
    """Creates the tree under root unless the same version is there already.
    Returns (files, bytes, directories)."""
    plan = layout()
    files = sum(len(listing) for _, listing in plan)
    total = sum(size for _, listing in plan for _, size in listing)
    stamp = os.path.join(os.path.dirname(root), os.path.basename(root) + ".stamp")
    if os.path.exists(stamp) and open(stamp).read() == VERSION:
        return files, total, len(plan)
    shutil.rmtree(root, ignore_errors=True)
    rng = random.Random(SEED + 1)
    for directory, listing in plan:
        os.makedirs(os.path.join(root, directory), exist_ok=True)
        for name, size in listing:
            with open(os.path.join(root, directory, name), "wb") as f:
                f.write(rng.randbytes(size))
    with open(stamp, "w") as f:
        f.write(VERSION)
    return files, total, len(plan)


def measure_tree(root):
    """(files, bytes, directories) found under root."""
    files = total = directories = 0
    for _, dirs, names in os.walk(root):
        directories += len(dirs)
        files += len(names)
    for base, _, names in os.walk(root):
        total += sum(os.path.getsize(os.path.join(base, n)) for n in names)
    return files, total, directories
