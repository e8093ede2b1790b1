"""4. Start-up: SETUP.EXE to its menu against a minimal dialog program built
the same way, alternating, in one run."""
import subprocess

import stats
import wine

ROUNDS = 20


def measure():
    print("== 4. Start-up")
    result = wine.run(wine.build_path("bench_driver.exe"), "startup",
                      wine.windows_path(wine.build_path("product", "SETUP.EXE")),
                      wine.windows_path(wine.build_path("minimal_dialog.exe")), str(ROUNDS),
                      stdout=subprocess.PIPE, text=True, timeout=900)
    times = {"setup": [], "minimal": []}
    for line in result.stdout.splitlines():
        fields = line.split()
        if len(fields) == 3 and fields[0] == "startup" and fields[1] in times:
            times[fields[1]].append(float(fields[2]))
    if result.returncode != 0 or any(len(v) != ROUNDS for v in times.values()):
        raise RuntimeError(f"start-up runs failed: {result.stdout[-500:]!r}")
    setup, minimal = stats.median(times["setup"]), stats.median(times["minimal"])
    print("CreateProcess -> first visible dialog, ms, alternating order:")
    print(f"  SETUP.EXE menu      {stats.spread(times['setup'])}")
    print(f"  minimal dialog      {stats.spread(times['minimal'])}")
    print(f"  ratio of medians    {setup / minimal:.2f}  (SETUP.EXE / minimal dialog)")
