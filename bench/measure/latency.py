"""3. Detection latency: from the watched window's destruction to the end of
the waiter's process."""
import subprocess

import component_folder
import stats
import wine

RUNS = 40
TITLE = "Bench Latency Setup"
POLL_MS = 500


def measure():
    print("== 3. Detection latency")
    folder = wine.build_path("latency_waiter")
    component_folder.prepare(folder, TITLE, 600)
    result = wine.run(wine.build_path("bench_driver.exe"), "latency", wine.windows_path(folder),
                      TITLE, str(RUNS), stdout=subprocess.PIPE, text=True, timeout=600)
    samples = [float(line.split()[1]) for line in result.stdout.splitlines()
               if line.startswith("latency ") and "failed" not in line]
    if result.returncode != 0 or len(samples) != RUNS:
        raise RuntimeError(f"latency runs failed: {result.stdout[-500:]!r}")
    print(f"Window destroyed -> waiter process ended, {RUNS} runs, "
          f"window closed at phases spread over the {POLL_MS} ms poll:")
    print(f"  median {stats.median(samples):.0f} ms, p95 {stats.percentile(samples, 95):.0f} ms, "
          f"max {max(samples):.0f} ms, min {min(samples):.0f} ms, "
          f"mean {sum(samples) / len(samples):.0f} ms")
    print(f"  expected: median near {POLL_MS // 2} ms, max not much above {POLL_MS} ms")
    print("  all runs (ms): " + " ".join(f"{s:.0f}" for s in samples))
