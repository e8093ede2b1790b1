"""Runs a Windows test program under the build's Wine prefix in a chosen
Linux locale (which gives Wine its user and system language and ANSI code
page), for the kit's tests that need the real platform."""
import os
import subprocess
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]


def windows_path(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def run(program, args, locale="en_US.UTF-8", timeout=120):
    env = dict(os.environ, LANG=locale, LC_ALL=locale)
    return subprocess.run([str(REPO / "scripts" / "wine-exec"), str(program)] + list(args),
                          env=env, capture_output=True, timeout=timeout, stdin=subprocess.DEVNULL)
