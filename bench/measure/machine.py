"""The machine a run comes from, and how busy it is."""
import os
import platform
import subprocess


def _cpu_model():
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return platform.processor()


def _memory_gb():
    with open("/proc/meminfo") as f:
        for line in f:
            if line.startswith("MemTotal:"):
                return int(line.split()[1]) / 1024 / 1024
    return 0


def load():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def describe():
    wine_version = subprocess.run(["wine", "--version"], capture_output=True,
                                  text=True).stdout.strip()
    commit = subprocess.run(["git", "-C", os.path.dirname(__file__), "log", "-1",
                             "--format=%h %cd", "--date=short"],
                            capture_output=True, text=True).stdout.strip()
    print(f"Machine: {os.cpu_count()} CPUs ({_cpu_model()}), {_memory_gb():.1f} GB memory, "
          f"kernel {platform.release()}, {wine_version}")
    print(f"Commit: {commit}; load average at start: {load()}")
