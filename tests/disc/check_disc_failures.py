#!/usr/bin/python3
"""check-disc against discs that must fail, made from the example disc with
a real NSIS installer (discs/lumen-nsis) with one thing changed, each run
under Wine as an author would run it:

- wrong-title: the component's title is the product's "Lumen Draw Setup",
  which the installer never shows; check-disc must fail naming the
  component and the title the installer really showed;
- copy-failure: the copy step's destination folder is blocked by a file of
  that name under the Windows folder; the launcher's copy error must end
  the run at once, quoted and photographed, and check-disc's report must
  render in a real browser with every picture, that dialog's included;
- cannot-finish: an installer time of 2 s, too short for the wizard:
  check-disc must end the installer and fail, naming the component; with
  walkthrough = "skip" it must only say so, leave the button unpressed and
  pass.

    check_disc_failures.py SOURCE_ROOT WORK_DIR wrong-title|copy-failure|cannot-finish

BUILD_DIR (the build with the walk-through program) as for check-disc.
"""
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.abspath(sys.argv[1])
WORK = os.path.abspath(sys.argv[2])
CASE = sys.argv[3]
EXAMPLE = os.path.join(ROOT, "discs", "lumen-nsis")
problems = []


def expect(holds, text):
    if not holds:
        problems.append(text)
        print("FAIL:", text)


def variant(name, old, new):
    """The example disc copied to WORK/<name> with one text of its manifest changed."""
    folder = os.path.join(WORK, name)
    if os.path.isdir(folder):
        shutil.rmtree(folder)
    shutil.copytree(EXAMPLE, folder)
    manifest = os.path.join(folder, "disc.toml")
    with open(manifest, encoding="utf-8") as f:
        text = f.read()
    if old not in text:
        sys.exit(f"check_disc_failures: {old!r} is no longer in {EXAMPLE}/disc.toml")
    with open(manifest, "w", encoding="utf-8") as f:
        f.write(text.replace(old, new))
    return manifest


def check_disc(manifest, out, *options):
    started = time.monotonic()
    run = subprocess.run([os.path.join(ROOT, "scripts", "check-disc"), manifest, "--out", out, *options],
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    print(run.stdout)
    print(f"check-disc ended with exit code {run.returncode} after {time.monotonic() - started:.0f} s")
    return run.returncode, run.stdout


def wrong_title():
    manifest = variant("lumen-wrong-title", 'title = "Lumen Draw Setup: Installing"',
                       'title = "Lumen Draw Setup"')
    code, output = check_disc(manifest, os.path.join(WORK, "out-wrong-title"))
    expect(code == 1, f"check-disc ended with {code}, not 1")
    for language in ("English (en)", "German (de)"):
        expect(f"{language}: component lumen: its installer never showed a window titled "
               "'Lumen Draw Setup'" in output, f"no failure naming the title for {language}")
    expect(output.count("did you mean 'Lumen Draw Setup: Installing'?") == 2,
           "the title the installer shows while it works is not suggested in both languages")
    expect("Traceback" not in output, "a Python traceback")


def copy_failure():
    manifest = variant("lumen-copy-failure", 'to = "Lumen Draw\\\\Lumen extras"',
                       'to = "Lumen blocked\\\\Lumen extras"')
    prefix = os.environ.get("WINEPREFIX") or os.path.join(os.environ["BUILD_DIR"], "wineprefix")
    blocker = os.path.join(prefix, "drive_c", "windows", "Lumen blocked")
    if os.path.isdir(blocker):
        shutil.rmtree(blocker)
    with open(blocker, "w") as f:
        f.write("a file where the copy wants a folder\n")
    out = os.path.join(WORK, "out-copy-failure")
    try:
        code, output = check_disc(manifest, out)
    finally:
        os.remove(blocker)
    expect(code == 1, f"check-disc ended with {code}, not 1")
    for message in ("An error occurred while copying the files. Installation failed.",
                    "Beim Kopieren der Dateien ist ein Fehler aufgetreten."):
        expect(f"FAILED: the launcher reported a failure: " in output and message in output,
               f"the copy error {message!r} is not quoted")
    expect("did not end within" not in output, "a run waited for its time limit")
    # The run ends once the dialog is seen: its step took seconds, not minutes.
    for step in re.findall(r"\n\d+\. [^\n]*OK runs the button's[^\n]*\n(.*?)\n\n", output, re.S):
        stamps = [float(s) for s in re.findall(r"\[\s*(\d+\.\d) s\]", step)]
        print(f"the failing install run took {max(stamps):.1f} s")
        expect(max(stamps) < 120, f"the failing run went on for {max(stamps):.1f} s, as if it waited for its time-out")
    render = subprocess.run([sys.executable, os.path.join(ROOT, "tests", "disc", "check_report_renders.py"),
                             os.path.join(out, "report.html"), "--expect", "menu_", "confirm_",
                             "installer_", "install_", "failure_"])
    expect(render.returncode == 0, "the report does not render with every picture")


def cannot_finish():
    for choice, expected_code, expected in (
            ("fail", 1, ["FAILED: component lumen's installer cannot be driven to its end",
                         "button 2 not pressed"]),
            ("skip", 0, ["SKIPPED: component lumen's installer cannot be driven to its end",
                         "button 2 not pressed", "everything went as the manifest says"])):
        manifest = variant(f"lumen-{choice}", 'walkthrough = "fail"', f'walkthrough = "{choice}"')
        code, output = check_disc(manifest, os.path.join(WORK, f"out-{choice}"),
                                  "--installer-time", "2")
        expect(code == expected_code, f"walkthrough = {choice}: check-disc ended with {code}, "
               f"not {expected_code}")
        expect("ended 1 process(es) of the installer" in output,
               f"walkthrough = {choice}: the unfinished installer was not ended")
        for text in expected:
            expect(text in output, f"walkthrough = {choice}: no {text!r}")


os.makedirs(WORK, exist_ok=True)
{"wrong-title": wrong_title, "copy-failure": copy_failure, "cannot-finish": cannot_finish}[CASE]()
sys.exit(1 if problems else 0)
