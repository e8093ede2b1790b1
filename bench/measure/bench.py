"""Prints every benchmark figure: bench/run [section ...], sections being
size, waiting, latency, startup, copy, kit, drawing (all when none is
named). Run by bench/run, which builds the programs, prepares the Wine
prefix and starts an X display and a Wine session first."""
import sys
import time

import drawing_cost
import kit_timing
import latency
import machine
import sizes
import startup
import tree_copy
import waiting

SECTIONS = {"size": sizes.measure, "waiting": waiting.measure, "latency": latency.measure,
            "startup": startup.measure, "copy": tree_copy.measure, "kit": kit_timing.measure,
            "drawing": drawing_cost.measure}


def main(names):
    unknown = [n for n in names if n not in SECTIONS]
    if unknown:
        print(f"unknown section(s) {unknown}; choose from {list(SECTIONS)}", file=sys.stderr)
        return 2
    machine.describe()
    for name in names or list(SECTIONS):
        started = time.monotonic()
        print()
        SECTIONS[name]()
        print(f"({name}: {time.monotonic() - started:.0f} s, load average now {machine.load()})")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
