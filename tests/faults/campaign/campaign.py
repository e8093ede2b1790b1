"""The fault campaign: copies of SETUP.EXE with mutated resources, each run
through start-up, the menu, a button and OK on a small disc folder whose
component programs are stand-in installers. Prints "N cases, C crashes,
H hangs" and the other exit codes; keeps every failing case for replay.
A case that Xlib ended (an X error report and exit code 1: a fault of Wine's
X11 driver, not of the launcher) is run again, up to twice.

  campaign.py [--seed S] [--cases N] [--first I] [--case I ...] [--limit MS]
              [--batch K] [--kept DIR] [--dialogs] [--expect-clean]

Case i of seed S is the same whatever else runs (mutations.make_case), so
"--seed S --case i" replays it. Run by run (beside this file), which builds
the programs and starts an X display and a Wine session first, and by the
test fault_campaign_slice."""
import argparse
import os
import shutil
import subprocess
import sys
import time

import mutations
from resource_rewrite import Image

HERE = os.path.dirname(os.path.abspath(__file__))
BUILD = os.environ["BUILD_DIR"]
STANDIN_TITLE = "Stand-in Setup"
# Exit codes that are exceptions the process did not survive.
EXCEPTION_CODES = {0x80000003, 0x80000004}
REPLAY_FAMILY = [""]   # " --dialogs" when the dialog family runs
CRASH_MARKS = ("Unhandled exception", "Unhandled page fault", "wine: Unhandled",
               "Backtrace:", "assertion failed")
# Xlib's default error handler prints this and ends the process with exit
# code 1. Wine 10's X11 driver now and then sends X_UnmapWindow for the menu's
# X window after destroying it, when the next dialog is mapped (a "copy
# failed" message under load): BadWindow, which it does not ignore.
XLIB_FATAL_MARK = "X Error of failed request"
# How often a case that Xlib ended is run again before it counts as failed.
XLIB_REPLAYS = 2


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def write_ini(path, section, values):
    lines = [f"[{section}]"] + [f"{key}={value}" for key, value in values.items()]
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")


def prepare_disc(folder, standin):
    """The disc folder: each component's language folders hold the stand-in
    in the waiter's place, opening its window briefly; the shipped strings
    therefore start a stand-in and wait for it."""
    shutil.rmtree(folder, ignore_errors=True)
    for component in ("tessera", "quillon", "kxtwain"):
        for language in ("w95e", "w95f", "w95g"):
            place = os.path.join(folder, component, language)
            os.makedirs(place)
            shutil.copy(standin, os.path.join(place, "tarrywin.exe"))
            write_ini(os.path.join(place, "standin.ini"), "standin",
                      {"mode": "window", "title": STANDIN_TITLE, "lifetime": 100,
                       "log": "nul"})


def classify(kind, code, report, xlib_report=None):
    if kind == "hang":
        return "hang"
    if kind != "exit":
        return "nostart"
    if code >= 0xC0000000 or code in EXCEPTION_CODES or report:
        return "crash"
    if code == 1 and xlib_report:
        return "x error"
    return "ok" if code == 0 else f"exit {code:#x}"


def crash_reports(stderr):
    """{case name: report lines} from the driver's standard error."""
    reports, current = {}, None
    for line in stderr.splitlines():
        if line.startswith("case ") and line.endswith(" begins"):
            current = line.split()[1]
        elif current and any(mark in line for mark in CRASH_MARKS):
            reports.setdefault(current, []).append(line)
    return reports


def xlib_errors(stderr):
    """{case name: Xlib's fatal error report} from the driver's standard
    error: the report's first line and the indented lines under it."""
    reports, current, inside = {}, None, False
    for line in stderr.splitlines():
        if line.startswith("case ") and line.endswith(" begins"):
            current, inside = line.split()[1], False
        elif current and XLIB_FATAL_MARK in line:
            reports.setdefault(current, []).append(line)
            inside = True
        elif inside and line.startswith("  "):
            reports[current].append(line)
        else:
            inside = False
    return reports


def run_group(cases, disc, limit_ms, driver, locale):
    """Runs [(name, description, image bytes, locale, control)] in one driver
    under locale (Wine takes a program's locale from its Unix environment, so
    each locale has its own driver run); returns the driver's two outputs."""
    listing = os.path.join(disc, "cases.txt")
    with open(listing, "w") as f:
        for name, _, data, _, control in cases:
            exe = os.path.join(disc, name + ".exe")
            with open(exe, "wb") as out:
                out.write(data)
            f.write(f"{name} {windows_path(exe)} - {control}\n")
    budget = len(cases) * (limit_ms / 1000 + 5) + 60
    environment = dict(os.environ, LANG=locale, LC_ALL=locale)
    # Files, not pipes: a Wine service started meanwhile may inherit the
    # driver's output handles and hold a pipe open long after the driver.
    outputs = [os.path.join(disc, "driver.out"), os.path.join(disc, "driver.err")]
    with open(outputs[0], "wb") as out, open(outputs[1], "wb") as err:
        driver_run = subprocess.Popen(["wine", driver, "faults", windows_path(listing),
                                       str(limit_ms)], stdin=subprocess.DEVNULL, stdout=out,
                                      stderr=err, env=environment)
        try:
            driver_run.wait(timeout=budget)
        except subprocess.TimeoutExpired:
            driver_run.kill()
            driver_run.wait()
    texts = []
    for path in outputs:
        with open(path, "rb") as f:
            texts.append(f.read().decode("latin-1"))
    return texts[0], texts[1]


def run_batch(cases, disc, limit_ms, driver):
    """Runs [(name, description, image bytes, locale, control)]; returns
    {name: (outcome, milliseconds, dialogs answered, report lines)}."""
    outcomes = {}
    for locale in sorted({c[3] for c in cases}):
        stdout, stderr = run_group([c for c in cases if c[3] == locale], disc, limit_ms,
                                   driver, locale)
        reports = crash_reports(stderr)
        xlib = xlib_errors(stderr)
        if "done " not in stdout:
            print(f"  the driver did not finish ({locale}): {stderr[-400:]!r}", flush=True)
        for line in stdout.splitlines():
            fields = line.split()
            if len(fields) >= 4 and fields[0] == "case":
                name, kind = fields[1], fields[2]
                code = int(fields[3]) if kind == "exit" else 0
                dialogs, ms = (int(fields[-2]), int(fields[-1])) if len(fields) >= 5 else (0, 0)
                outcomes[name] = (classify(kind, code, reports.get(name), xlib.get(name)), ms,
                                  dialogs, reports.get(name, []) + xlib.get(name, []))
    for name, *_ in cases:
        outcomes.setdefault(name, ("driver lost", 0, 0, []))
        os.remove(os.path.join(disc, name + ".exe"))
    return outcomes


def replay_xlib_errors(batch, outcomes, disc, limit_ms, driver):
    """Runs the cases of batch that Xlib ended again, up to XLIB_REPLAYS
    times each, and puts the last outcome in outcomes; returns how many runs
    Xlib ended. A case that our code ends with 1 has no X error report and is
    not run again."""
    ended = 0
    for replay in range(1, XLIB_REPLAYS + 1):
        again = [case for case in batch if outcomes[case[0]][0] == "x error"]
        if not again:
            break
        ended += len(again)
        for name, *_ in again:
            print(f"  {name}: Xlib ended SETUP.EXE ({'; '.join(l.strip() for l in outcomes[name][3][:3])}); "
                  f"replay {replay}", flush=True)
        outcomes.update(run_batch(again, disc, limit_ms, driver))
    return ended + sum(1 for case in batch if outcomes[case[0]][0] == "x error")


def keep(kept, seed, index, name, description, data, outcome, report):
    folder = os.path.join(kept, f"seed{seed}-case{index}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "SETUP.EXE"), "wb") as f:
        f.write(data)
    with open(os.path.join(folder, "case.txt"), "w") as f:
        f.write(f"{name}: {outcome}\n")
        for line in description:
            f.write(f"  {line}\n")
        for line in report[:20]:
            f.write(f"  | {line}\n")
        f.write(f"replay: tests/faults/campaign/run --no-setup{REPLAY_FAMILY[0]} --seed {seed} --case {index}\n")
    return folder


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--cases", type=int, default=2000)
    parser.add_argument("--first", type=int, default=0)
    parser.add_argument("--case", type=int, action="append", default=[])
    # Above the launcher's own longest wait with nothing to show (the 10 s
    # grace for a titled window that does not come), with room for a slow
    # machine: a normal case takes well under 2 s.
    parser.add_argument("--limit", type=int, default=15000, help="ms before a case is a hang")
    parser.add_argument("--batch", type=int, default=100)
    parser.add_argument("--kept", default=os.path.join(BUILD, "faults", "kept"))
    parser.add_argument("--dialogs", action="store_true",
                        help="the dialog family: cases mutate the dialog templates only")
    parser.add_argument("--expect-clean", action="store_true",
                        help="exit 1 unless every case ended with 0 and nothing crashed or hung")
    args = parser.parse_args(argv)
    if args.dialogs:
        REPLAY_FAMILY[0] = " --dialogs"

    setup_exe = os.path.join(BUILD, "SETUP.EXE")
    driver = os.path.join(BUILD, "tests", "fault_driver.exe")
    standin = os.path.join(BUILD, "standin_setup.exe")
    if not os.path.exists(standin):
        standin = os.path.join(BUILD, "tests", "standin_setup.exe")
    with open(setup_exe, "rb") as f:
        image = Image(f.read())
    disc = os.path.join(BUILD, "faults", f"disc-{os.getpid()}")
    prepare_disc(disc, standin)

    indices = args.case or list(range(args.first, args.first + args.cases))
    print(f"== Fault campaign{' (dialog templates)' if args.dialogs else ''}: seed {args.seed}, cases {indices[0]}..{indices[-1]} "
          f"({len(indices)}), time limit {args.limit} ms")
    counts, failures, started = {}, [], time.monotonic()
    durations, reached, xlib_ended = [], [0, 0, 0, 0], 0
    for at in range(0, len(indices), args.batch):
        batch = []
        for index in indices[at:at + args.batch]:
            make = mutations.make_dialog_case if args.dialogs else mutations.make_case
            description, replacements, locale, control = make(args.seed, index, image)
            batch.append((f"c{index:05d}", description, image.rewrite(replacements), locale, control))
        outcomes = run_batch(batch, disc, args.limit, driver)
        xlib_ended += replay_xlib_errors(batch, outcomes, disc, args.limit, driver)
        for (name, description, data, _, _), index in zip(batch, indices[at:at + args.batch]):
            outcome, ms, dialogs, report = outcomes[name]
            counts[outcome] = counts.get(outcome, 0) + 1
            reached[min(dialogs, 3)] += 1
            durations.append(ms)
            if outcome != "ok":
                folder = keep(args.kept, args.seed, index, name, description, data, outcome, report)
                failures.append((index, outcome, description, folder))
                print(f"  case {index}: {outcome} -- {'; '.join(description)}", flush=True)
        done = at + len(batch)
        print(f"  .. {done} cases, {time.monotonic() - started:.0f} s", flush=True)
    shutil.rmtree(disc, ignore_errors=True)

    total = sum(counts.values())
    crashes, hangs = counts.get("crash", 0), counts.get("hang", 0)
    others = {k: v for k, v in counts.items() if k not in ("ok", "crash", "hang")}
    print(f"{total} cases, {crashes} crashes, {hangs} hangs")
    print(f"  exit 0: {counts.get('ok', 0)}" + "".join(f", {k}: {v}" for k, v in sorted(others.items())))
    if xlib_ended:
        print(f"  ended by Xlib (X error, exit code 1) and run again: {xlib_ended}")
    print(f"  dialogs answered per case: none {reached[0]}, the menu only {reached[1]}, "
          f"menu and one more {reached[2]}, three or more {reached[3]}")
    durations.sort()
    if durations:
        print(f"  per case: median {durations[len(durations) // 2]} ms, "
              f"max {durations[-1]} ms; wall {time.monotonic() - started:.0f} s")
    if failures:
        print(f"  failing cases kept in {args.kept} (SETUP.EXE, case.txt with the replay command)")
    clean = total == counts.get("ok", 0)
    return 0 if clean or not args.expect_clean else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
