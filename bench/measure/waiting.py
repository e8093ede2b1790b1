"""2. Cost of waiting: SETUP.EXE blocked on a component for 10 s, and the
waiter's CPU time per poll with many top-level windows present."""
import os
import shutil
import subprocess
import time

import component_folder
import stats
import wine

WAIT_MS = 10000
POLL_WINDOWS = (10, 500, 2000)
POLL_SETTLE_S = 1.5     # after the window opened: the first poll has seen it
POLL_SPANS = 3          # consecutive spans measured, each on its own
POLL_SPAN_S = 6.0
POLL_TARGET_MS = 1.0
# Trace lines that mark the waiter's poll: the WM_TIMER of timer 100 (0x64)
# taken from the queue starts it, re-arming that timer ends it.
POLL_START_MARK = b"msg 113 (WM_TIMER)"
POLL_START_TIMER = b" wp 64 "
POLL_END_MARK = b"NtUserSetTimer Added"
POLL_END_TIMER = b" 64 (nil) timeout 500"


def _ms(ns):
    return ns / 1e6


def measure_setup_wait():
    """SETUP.EXE runs its install script; its first `e` command starts the
    waiter, whose stand-in installer keeps its window open for WAIT_MS."""
    disc = wine.build_path("wait_disc")
    shutil.rmtree(disc, ignore_errors=True)
    os.makedirs(disc)
    shutil.copy(wine.build_path("product", "SETUP.EXE"), os.path.join(disc, "SETUP.EXE"))
    log = component_folder.prepare(os.path.join(disc, "tessera", "w95e"),
                                   "Bench Component Setup", WAIT_MS)
    driver = wine.start(wine.build_path("bench_driver.exe"), "install",
                        wine.windows_path(os.path.join(disc, "SETUP.EXE")),
                        stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True)
    wine.wait_for_text(log, "window-open", 60)
    setup = wine.find_process("wait_disc\\setup.exe")
    waiter = wine.find_process("tarrywin.exe")
    server = wine.wineserver_pid()
    start = (time.monotonic(), wine.cpu_ns(setup), wine.cpu_ns(waiter), wine.cpu_ns(server))
    wine.wait_for_text(log, "window-closed", 60)
    end = (time.monotonic(), wine.cpu_ns(setup), wine.cpu_ns(waiter), wine.cpu_ns(server))
    out, _ = driver.communicate(timeout=120)
    if "installed 0" not in out:
        raise RuntimeError(f"SETUP.EXE did not finish its script: {out!r}")
    seconds = end[0] - start[0]
    print(f"SETUP.EXE waiting {seconds:.2f} s for a component (waiter + stand-in window):")
    print(f"  SETUP.EXE CPU    {_ms(end[1] - start[1]):8.3f} ms  (target: none, it blocks)")
    print(f"  Tarrywin.exe CPU {_ms(end[2] - start[2]):8.3f} ms  (~{seconds / 0.5:.0f} polls)")
    print(f"  wineserver CPU   {_ms(end[3] - start[3]):8.3f} ms  (all processes of the prefix, "
          f"the stand-in's 100 ms repaints included)")


def _poll_times(trace_path):
    """[(start, end)] in seconds of each complete poll in the trace, in order.
    Lines read "<seconds>:<pid>:<tid>:trace:msg:..." (+timestamp, +pid)."""
    polls = []
    started = None
    with open(trace_path, "rb") as f:
        for line in f:
            if POLL_START_MARK in line and POLL_START_TIMER in line:
                started = float(line.split(b":", 1)[0])
            elif POLL_END_MARK in line and POLL_END_TIMER in line and started is not None:
                polls.append((started, float(line.split(b":", 1)[0])))
                started = None
    return polls


def _polls(trace_path):
    return len(_poll_times(trace_path))


def _sample(pid, server, trace_path):
    return (wine.cpu_ns(pid), _polls(trace_path), wine.cpu_ns(server))


def measure_poll_cost(windows_wanted):
    folder = wine.build_path("poll_waiter")
    lifetime_ms = int((POLL_SETTLE_S + POLL_SPANS * POLL_SPAN_S + 4) * 1000)
    log = component_folder.prepare(folder, "Bench Poll Setup", lifetime_ms)
    windows = wine.start(wine.build_path("many_windows.exe"), str(windows_wanted),
                         stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    ready = windows.stdout.readline().split()
    if not ready or ready[0] != "ready":
        raise RuntimeError(f"many_windows did not start: {ready}")
    trace_path = wine.build_path("poll_trace.txt")
    # +msg traces the WM_TIMER that starts each poll and the SetTimer that
    # ends it, so the polls can be counted and timed exactly; that adds three
    # short trace lines to each poll.
    with open(trace_path, "wb") as trace:
        waiter = wine.start(wine.windows_path(os.path.join(folder, "Tarrywin.exe")),
                            env=dict(os.environ, WINEDEBUG="-all,+msg,+timestamp,+pid"),
                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=trace)
        wine.wait_for_text(log, "window-open", 60)
        time.sleep(POLL_SETTLE_S)   # the window has been seen; every poll walks every window
        pid = wine.find_process("poll_waiter\\tarrywin.exe")
        server = wine.wineserver_pid()
        samples = [_sample(pid, server, trace_path)]
        for _ in range(POLL_SPANS):
            time.sleep(POLL_SPAN_S)
            samples.append(_sample(pid, server, trace_path))
        windows.stdin.write("count\n")
        windows.stdin.flush()
        present = int(windows.stdout.readline().split()[1])
        waiter.wait(timeout=120)
    windows.stdin.close()
    windows.wait(timeout=60)

    waiter_ms, server_ms = [], []
    for before, after in zip(samples, samples[1:]):
        polls = after[1] - before[1]
        if polls <= 0:
            raise RuntimeError("no poll was counted")
        waiter_ms.append(_ms(after[0] - before[0]) / polls)
        server_ms.append(_ms(after[2] - before[2]) / polls)
    polls = samples[-1][1] - samples[0][1]
    durations = [(e - s) * 1000 for s, e in _poll_times(trace_path)[samples[0][1]:samples[-1][1]]]
    per_poll = stats.median(waiter_ms)
    verdict = ""
    if windows_wanted == 500:
        verdict = f"  target < {POLL_TARGET_MS:.0f} ms: {'met' if per_poll < POLL_TARGET_MS else 'MISSED'}"
    print(f"  {present:5} windows, {polls:2} polls: waiter {per_poll:7.3f} ms "
          f"({min(waiter_ms):.3f}..{max(waiter_ms):.3f}), {per_poll * 1000 / present:5.1f} us/window; "
          f"wineserver {stats.median(server_ms):7.3f} ms; poll lasts {stats.median(durations):3.0f} ms"
          f"{verdict}")
    return per_poll


def measure():
    print("== 2. Cost of waiting")
    measure_setup_wait()
    print(f"Waiter per poll: CPU time of Tarrywin.exe in each of {POLL_SPANS} spans of "
          f"{POLL_SPAN_S:.0f} s divided by the polls counted in it, median (min..max); the\n"
          "wineserver's CPU time per poll likewise; how long a poll lasts, from the trace "
          "(whole ms):")
    for count in POLL_WINDOWS:
        measure_poll_cost(count)
