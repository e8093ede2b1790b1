"""Running Windows programs under the benchmark's Wine prefix, and finding
the Linux processes behind them to read their CPU time.

Wine 8 reports no CPU time for another process (GetProcessTimes on its handle
gives zero kernel and user time; only the calling process's own times are
filled, in 10 ms steps), so CPU time is read from Linux: the sum over a
process's threads of the first field of /proc/<pid>/task/<tid>/schedstat,
nanoseconds spent running.
"""
import os
import subprocess
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ["BUILD_DIR"]
PREFIX = os.environ["WINEPREFIX"]


def windows_path(path):
    """The Windows form of a Linux path, through Wine's Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def build_path(*parts):
    return os.path.join(BUILD, *parts)


def windows_directory():
    return os.path.join(PREFIX, "drive_c", "windows")


def run(program, *arguments, **options):
    """Runs a Windows program to its end; returns the CompletedProcess."""
    return subprocess.run(["wine", program, *arguments], stdin=subprocess.DEVNULL,
                          **options)


def start(program, *arguments, **options):
    return subprocess.Popen(["wine", program, *arguments], **options)


def _read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return b""


def _ours(pid):
    """Whether the Linux process belongs to this benchmark's Wine prefix."""
    return ("WINEPREFIX=" + PREFIX).encode() in _read(f"/proc/{pid}/environ").split(b"\0")


def _program_of(cmdline):
    """The program part of a command line: up to its first ".exe", lower case."""
    line = cmdline.replace(b"\0", b" ").lower().lstrip(b'" ')
    end = line.find(b".exe")
    return line[:end + 4] if end >= 0 else line


def find_processes(fragment):
    """Linux pids of this prefix's Windows processes whose program path ends
    with fragment (case-insensitive). Wine shows a process's Windows command
    line as its Linux one."""
    fragment = fragment.lower().encode()
    found = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        if _program_of(_read(f"/proc/{entry}/cmdline")).endswith(fragment) and _ours(entry):
            found.append(int(entry))
    return found


def find_process(fragment, timeout=30.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        pids = find_processes(fragment)
        if len(pids) == 1:
            return pids[0]
        if len(pids) > 1:
            raise RuntimeError(f"several processes match {fragment!r}: {pids}")
        time.sleep(0.02)
    raise RuntimeError(f"no process matches {fragment!r}")


def wineserver_pid():
    for entry in os.listdir("/proc"):
        if entry.isdigit() and _read(f"/proc/{entry}/comm").startswith(b"wineserver") \
                and _ours(entry):
            return int(entry)
    return None


def cpu_ns(pid):
    """CPU time the process has used so far, all threads, in nanoseconds."""
    total = 0
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return None
    for task in tasks:
        fields = _read(f"/proc/{pid}/task/{task}/schedstat").split()
        if fields:
            total += int(fields[0])
    return total


def wait_for_text(path, text, timeout):
    """Waits until the file holds text; returns the moment it was seen."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if text.encode() in _read(path):
            return time.monotonic()
        time.sleep(0.01)
    raise RuntimeError(f"{text!r} did not appear in {path}")


def write_ini(path, section, values):
    lines = [f"[{section}]"] + [f"{key}={value}" for key, value in values.items()]
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
