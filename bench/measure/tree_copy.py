"""5. Tree copy: the launcher's `c` command against xcopy and robocopy, on
the same tree, in the same Wine prefix, in one run.

Caches cannot be dropped here: the source stays in the page cache for every
run after the generator. Each tool copies once to warm up, then ROUNDS
rounds run each tool once in a rotating order. Before every run the
destination is removed and `sync` writes back what the previous run left
dirty, so no run pays for another's writes.

BENCH_COPY_BASELINE=<an earlier build's copy_command.exe> adds that build as
"launcher c, baseline", measured in the same rounds as the current one, so
that a change to the copy code is compared before and after on the same
machine at the same load."""
import os
import shutil
import subprocess
import time

import stats
import tree_generator
import wine

ROUNDS = 5
TARGET_RATIO = 1.2   # as fast as before the copy's mends
DESTINATION = "bench_copy"    # under the Windows directory, as copy_command.rc says


def _destination(tool):
    return os.path.join(wine.windows_directory(), DESTINATION, tool)


def _windows_destination(tool):
    return "C:\\windows\\" + DESTINATION + "\\" + tool


def _robocopy_works():
    """Whether this Wine's robocopy copies at all (Wine 8.0 ships a stub that
    copies nothing and exits with 16); tried on a one-file tree."""
    probe = wine.build_path("robocopy_probe")
    shutil.rmtree(probe, ignore_errors=True)
    os.makedirs(os.path.join(probe, "from"))
    with open(os.path.join(probe, "from", "one.txt"), "w") as f:
        f.write("one")
    result = wine.run("robocopy", wine.windows_path(os.path.join(probe, "from")),
                      wine.windows_path(os.path.join(probe, "to")), "/E",
                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    works = os.path.exists(os.path.join(probe, "to", "one.txt"))
    shutil.rmtree(probe, ignore_errors=True)
    return works, result.returncode


def _tools(source):
    tools = {
        "launcher c": lambda: wine.run(wine.build_path("copy_command.exe"),
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL),
        "xcopy /E /I /Y": lambda: wine.run("xcopy", wine.windows_path(source),
                                           _windows_destination("xcopy"), "/E", "/I", "/Y",
                                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL),
    }
    baseline = os.environ.get("BENCH_COPY_BASELINE")
    if baseline:
        # Beside the current build, so that its script finds the same source.
        shutil.copyfile(baseline, wine.build_path("copy_command_baseline.exe"))
        tools["launcher c, baseline"] = lambda: wine.run(wine.build_path("copy_command_baseline.exe"),
                                                         stdout=subprocess.DEVNULL,
                                                         stderr=subprocess.DEVNULL)
        print(f"  launcher c, baseline: {baseline}")
    # Not a peer (no Wine in it), but it shows what the file system itself
    # costs on this machine.
    tools["cp -r (Linux)"] = lambda: subprocess.run(["cp", "-r", source, _destination("cp")],
                                                    check=True)
    robocopy = os.path.join(wine.windows_directory(), "system32", "robocopy.exe")
    if not os.path.exists(robocopy):
        print("  robocopy: not in this Wine")
        return tools
    works, code = _robocopy_works()
    if not works:
        print(f"  robocopy: left out, this Wine's robocopy.exe copies nothing "
              f"(a stub; exit code {code} on a one-file tree)")
    else:
        tools["robocopy /E"] = lambda: wine.run("robocopy", wine.windows_path(source),
                                                _windows_destination("robocopy"), "/E",
                                                stdout=subprocess.DEVNULL,
                                                stderr=subprocess.DEVNULL)
    return tools


def _folder(tool):
    return {"launcher c": "launcher", "launcher c, baseline": "launcher", "xcopy /E /I /Y": "xcopy", "robocopy /E": "robocopy",
            "cp -r (Linux)": "cp"}[tool]


def _timed_copy(tool, command, expected):
    destination = _destination(_folder(tool))
    shutil.rmtree(destination, ignore_errors=True)
    subprocess.run(["sync"], check=True)
    started = time.perf_counter()
    command()
    seconds = time.perf_counter() - started
    found = tree_generator.measure_tree(destination)
    if found != expected:
        raise RuntimeError(f"{tool} copied {found} (files, bytes, directories), "
                           f"expected {expected}")
    return seconds


def _start_overhead():
    """What starting any Windows program costs here, in seconds."""
    samples = []
    for _ in range(5):
        started = time.perf_counter()
        wine.run("cmd", "/c", "exit", stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        samples.append(time.perf_counter() - started)
    return stats.median(samples)


def measure():
    print("== 5. Tree copy")
    source = wine.build_path("copy_source")
    expected = tree_generator.ensure(source)
    files, total, directories = expected
    print(f"Tree: {files} files, {directories} directories, {total / 1e6:.1f} MB "
          f"(seed {tree_generator.SEED}); MB = 10^6 bytes")
    tools = _tools(source)
    for tool, command in tools.items():
        _timed_copy(tool, command, expected)       # warm-up, not counted
    times = {tool: [] for tool in tools}
    names = list(tools)
    for round_number in range(ROUNDS):
        order = names[round_number % len(names):] + names[:round_number % len(names)]
        if round_number % 2:
            order.reverse()
        for tool in order:
            times[tool].append(_timed_copy(tool, tools[tool], expected))
    for tool in names:
        shutil.rmtree(_destination(_folder(tool)), ignore_errors=True)
    print(f"Seconds per copy, {ROUNDS} rounds after one warm-up each, order rotating "
          f"(each includes starting the program, {_start_overhead():.2f} s for `cmd /c exit`):")
    medians = {}
    for tool in names:
        medians[tool] = stats.median(times[tool])
        print(f"  {tool:<20} {stats.spread(times[tool], 2)}")
    print("Throughput from the median time:")
    for tool in names:
        seconds = medians[tool]
        print(f"  {tool:<20} {total / 1e6 / seconds:7.1f} MB/s  {files / seconds:7.0f} files/s")
    launcher = medians["launcher c"]
    for peer in [name for name in names[1:] if not name.startswith("cp ")]:
        ratio = medians[peer] / launcher
        verdict = f"  target >= {TARGET_RATIO}: {'met' if ratio >= TARGET_RATIO else 'MISSED'}" \
            if peer.startswith("xcopy") else ""
        per_round = " ".join(f"{p / l:.2f}" for p, l in zip(times[peer], times["launcher c"]))
        print(f"  launcher c / {peer}: speed ratio {ratio:.2f} (per round: {per_round}){verdict}")
    if "launcher c, baseline" in medians and "xcopy /E /I /Y" in medians:
        ratio = medians["xcopy /E /I /Y"] / medians["launcher c, baseline"]
        print(f"  launcher c, baseline / xcopy /E /I /Y: speed ratio {ratio:.2f}")
