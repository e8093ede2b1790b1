#!/usr/bin/python3
"""6. How long the authoring kit takes, per disc under discs/: reading and
checking the manifest, drawing its pictures afresh (when the kit draws them),
a preview, and make-disc (pictures kept: SETUP.EXE written into the prebuilt
launcher, the disc folder) without the image and with it (disc.iso).
Then, with the kit's wheel (build/package, made by scripts/package)
installed into a new virtual environment, the first make-disc of the demo
disc after installing. The section "kit" of bench/run, or on its own:
    bench/measure/kit_timing.py [--programs <build>/disc-kit/programs.txt]   (default build/default)
Prints the median of five runs of each, in milliseconds; for the commands
also the CPU time they took (user + system, in brackets), which a busy
machine changes less than the wall-clock time. Nothing here is a test.
"""
import resource
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent.parent
sys.path.insert(0, str(ROOT))
from authoring import drawing  # noqa: E402
from authoring.build import load  # noqa: E402

RUNS = 5


def median_ms(action):
    times = []
    for _ in range(RUNS):
        start = time.perf_counter()
        action()
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times)


def children_cpu_ms():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return (usage.ru_utime + usage.ru_stime) * 1000


def command_ms(action):
    """'wall [cpu]': medians over RUNS runs of a command."""
    walls, cpus = [], []
    for _ in range(RUNS):
        start, cpu = time.perf_counter(), children_cpu_ms()
        action()
        walls.append((time.perf_counter() - start) * 1000)
        cpus.append(children_cpu_ms() - cpu)
    return f"{statistics.median(walls):.0f} [{statistics.median(cpus):.0f}]"


def make_disc(*args):
    subprocess.run(["/usr/bin/python3", str(ROOT / "scripts" / "make-disc"), *map(str, args)],
                   check=True, capture_output=True)


def measure(programs=ROOT / "build" / "default" / "disc-kit" / "programs.txt"):
    print("== 6. The authoring kit, per disc")
    if not programs.is_file():
        print(f"  {programs} is missing; build first (cmake --build --preset default)")
        return
    print(f"{'disc':<10}{'check':>7}{'draw':>7}{'preview':>14}{'no image':>14}{'with image':>14}"
          f"   (ms, median of {RUNS}; [CPU ms])", flush=True)
    for manifest in sorted(ROOT.glob("discs/*/disc.toml")):
        with tempfile.TemporaryDirectory() as tmp:
            out = Path(tmp) / "out"
            check = median_ms(lambda: load(manifest))
            disc, report = load(manifest)
            if report:
                sys.exit(report)
            drawn = [lang for lang in disc.languages if lang.background is None]

            def draw():
                disc.pictures_folder = Path(tmp) / "pictures"
                shutil.rmtree(disc.pictures_folder, ignore_errors=True)
                for lang in drawn:
                    drawing.ensure_drawn(disc, lang)
            draw_ms = f"{median_ms(draw):.0f}" if drawn else "-"
            preview = command_ms(lambda: make_disc(manifest, "--preview", "--build-dir", out))
            folder_only = command_ms(lambda: make_disc(manifest, "--build-dir", out, "--programs", programs,
                                                       "--no-image"))
            whole = command_ms(lambda: make_disc(manifest, "--build-dir", out, "--programs", programs))
        print(f"{manifest.parent.name:<10}{check:>7.0f}{draw_ms:>7}{preview:>14}{folder_only:>14}"
              f"{whole:>14}", flush=True)
    first_disc_after_installing()


def first_disc_after_installing():
    wheels = sorted((ROOT / "build" / "package").glob("*.whl"))
    if not wheels:
        print("first disc after installing: no wheel in build/package (run scripts/package)")
        return
    with tempfile.TemporaryDirectory() as tmp:
        venv = Path(tmp) / "kit"
        start = time.perf_counter()
        subprocess.run(["/usr/bin/python3", "-m", "venv", "--system-site-packages", str(venv)],
                       check=True, capture_output=True)
        subprocess.run([str(venv / "bin" / "pip"), "install", "--quiet", "--no-index", "--no-cache-dir",
                        str(wheels[-1])], check=True, capture_output=True)
        install = (time.perf_counter() - start) * 1000
        manifest = ROOT / "discs" / "demo" / "disc.toml"
        env = dict(os.environ, PATH=f"{venv / 'bin'}:{os.environ.get('PATH', '')}")
        times = []
        for label, extra in (("no image", ["--no-image"]), ("with image", [])):
            out = Path(tmp) / label.replace(" ", "-")
            start, cpu = time.perf_counter(), children_cpu_ms()
            subprocess.run([str(venv / "bin" / "make-disc"), str(manifest), "--build-dir", str(out)] + extra,
                           check=True, capture_output=True, env=env)
            times.append(f"{label} {(time.perf_counter() - start) * 1000:.0f} [{children_cpu_ms() - cpu:.0f}]")
    print(f"installed kit ({wheels[-1].name}): venv and pip install {install:.0f} ms; "
          f"first make-disc of demo, {times[0]} ms; the next, {times[1]} ms")


if __name__ == "__main__":
    if "--programs" in sys.argv:
        measure(Path(sys.argv[sys.argv.index("--programs") + 1]))
    else:
        measure()
