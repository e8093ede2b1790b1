"""PURPOSE: check-disc, in a checkout (scripts/check-disc) and in the
installed kit alike. Walks through a disc under Wine the way its users would, in every language
of its manifest, and checks each step against the manifest.

    check-disc path/to/disc.toml [--build-dir DIR] [--out FOLDER] [--installer-time SECONDS]
    check-disc --titles path/to/disc.toml
    check-disc --plan path/to/walkthrough.json [--out FOLDER]

With a manifest it first builds the disc (make-disc, into --build-dir as
make-disc's) and reads the walkthrough.json that make-disc writes beside
it; --plan skips the build. The disc's ISO is read into FOLDER/disc
(writable, so the stand-in installers can keep their logs beside them;
default build/check-disc/<name> in a checkout, check-disc/ beside
walkthrough.json in an installed kit). First the disc folder and its ISO
are checked against the plan (layout_check.py). Each language runs with its Linux locale
forced (generated into build/locales when missing):
  - each component with its author's own installer: its setup.exe is
    started by itself, every page's default button pressed until its
    processes end (within --installer-time, default 120 s), and every
    window title that its processes showed is recorded; the manifest's
    title must be one of them (the nearest one is suggested when not). An
    installer that cannot be driven to its end is ended, and fails the disc
    or, with walkthrough = "skip" in its [[component]], is only reported
    and its buttons are not pressed;
  - the menu appears at its bitmap's size; each install button's
    confirmation shows the manifest's text and captions; Cancel keeps the
    menu; the exit button ends the launcher with code 0;
  - then, one run per install button, OK: each component's waiter and
    installer come and go in the order of the button's steps, each copy's
    destination (under the Windows directory) holds the disc's bytes, and
    the launcher exits 0. Every installer page's default button is pressed
    as above. A launch or copy error dialog of the launcher ends the run at
    once, quoted and photographed.
--titles only builds the disc and lists, per language and component, the
titles its installer showed (stand-ins included), with when; it fails
for nothing but an installer it cannot drive. Exit code 2 when it could
not check (a manifest make-disc refused, an unreadable plan).
Prints the step log and keeps it in FOLDER/check-disc.log, with the
screenshots (PNG) and a report to look at, FOLDER/report.html, beside it.
Without DISPLAY it runs on its own virtual display and Wine session.
Exit code 0 when everything went as planned.
BUILD_DIR picks the checkout's build folder of the walk-through program,
as with scripts/test; an installed kit runs its own prebuilt one with its
Wine prefix in $XDG_CACHE_HOME/disc-kit (else ~/.cache/disc-kit). Without
Wine (or without a display and xvfb-run, or without xorriso) it says in
one line what is missing and how to get it, and checks nothing.
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys

from .. import locations, programs
from ..errors import CheckDiscStopped, exit_code
from . import report as disc_report
from .installer_titles import own_installers, records, seen_titles, title_problem
from .language_plan import PlanTextError, plan_bytes
from .wine_session import bmp_to_png, ensure_prefix, wine_environment

SESSION_FLAG = "CHECK_DISC_OWN_SESSION"
NEEDS = [("wine", "Wine is not installed, so nothing was walked through; install it "
          "(Debian: dpkg --add-architecture i386 && apt install wine wine32:i386)"),
         ("xorriso", "xorriso is not installed, so the disc's image cannot be read; "
          "install it (Debian and Ubuntu: apt install xorriso)")]
NO_DISPLAY = ("no display and no xvfb-run, so nothing was walked through; run it on a desktop, "
              "or install xvfb-run (Debian: apt install xvfb xauth)")


def missing_tool():
    for tool, message in NEEDS:
        if shutil.which(tool) is None:
            return message
    if not os.environ.get("DISPLAY") and shutil.which("xvfb-run") is None:
        return NO_DISPLAY
    return None


def kit_command(module, *arguments):
    """A command line that runs one of the kit's modules with this interpreter."""
    return [sys.executable, "-m", module, *[str(a) for a in arguments]]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Log:
    def __init__(self, path):
        self.file = open(path, "w", encoding="utf-8")
        self.steps = 0
        self.lines = []

    def say(self, text=""):
        self.lines.append(text)
        print(text, flush=True)
        self.file.write(text + "\n")
        self.file.flush()

    def step(self, heading):
        self.steps += 1
        self.say(f"{self.steps}. {heading}")

    def take(self, output):
        """Lines a walk-through run printed: shown, kept, its steps counted;
        returns its "@" records, which are not shown."""
        lines, found = records(output)
        for line in lines:
            if re.match(r"^\d+\. ", line):
                self.steps += 1
            self.say(line)
        return found



def build_disc(manifest, build_dir):
    if not os.path.isfile(manifest):
        raise CheckDiscStopped(f"{manifest}: no such manifest")
    folder = build_dir or locations.disc_build_folder(os.path.dirname(os.path.abspath(manifest)))
    command = kit_command("authoring.make_disc", manifest, "--build-dir", folder)
    # The programs of the build that runs the walk-through, when it has them.
    listed = os.path.join(os.environ.get("BUILD_DIR", ""), "disc-kit", "programs.txt")
    if locations.IN_CHECKOUT and os.environ.get("BUILD_DIR") and os.path.isfile(listed):
        command += ["--programs", listed]
    sys.stdout.flush()    # this line before make-disc's
    if subprocess.run(command, env=locations.python_path_environment(os.environ)).returncode != 0:
        raise CheckDiscStopped(f"make-disc could not build {manifest} (its messages are above)")
    return os.path.join(folder, "walkthrough.json")


def read_plan(path):
    try:
        with open(path, encoding="utf-8") as f:
            plan = json.load(f)
    except OSError as error:
        raise CheckDiscStopped(f"cannot read the plan {path}: {error.strerror}") from None
    except ValueError as error:
        raise CheckDiscStopped(f"{path} is not a walkthrough.json that make-disc wrote: {error}") from None
    if not isinstance(plan, dict) or not isinstance(plan.get("languages"), list):
        raise CheckDiscStopped(f"{path} is not a walkthrough.json that make-disc wrote: no languages")
    return plan


def ensure_locale(locale, env):
    folder = os.path.join(env["LOCPATH"], locale)
    if os.path.isdir(folder):
        return
    os.makedirs(env["LOCPATH"], exist_ok=True)
    base, _, charset = locale.partition(".")
    subprocess.run(["localedef", "-i", base, "-f", charset or "UTF-8", folder],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def ensure_walkthrough_program(env):
    """The walk-through program from the kit's programs list (in a checkout,
    the build's, built first when missing), with its Wine prefix ready."""
    listed = (locations.PREBUILT_PROGRAMS if not locations.IN_CHECKOUT
              else os.path.join(env["BUILD_DIR"], "disc-kit", "programs.txt"))
    recipe = programs.read_recipe(listed) if os.path.isfile(listed) else {"walkthrough": None}
    program = recipe["walkthrough"]
    if (program is None or not os.path.isfile(program)) and locations.IN_CHECKOUT:
        if not os.path.isfile(os.path.join(env["BUILD_DIR"], "CMakeCache.txt")):
            subprocess.run(["cmake", "--preset", "default", "-B", env["BUILD_DIR"]], cwd=locations.REPO,
                           check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["cmake", "--build", env["BUILD_DIR"], "-j2", "--target", "disc_walkthrough"],
                       cwd=locations.REPO, check=True)
        program = programs.read_recipe(listed)["walkthrough"]
    if program is None or not os.path.isfile(program):
        raise CheckDiscStopped("the kit carries no walk-through program")
    ensure_prefix(env)
    return str(program)


def start_wine_session(env):
    # Wine's background services inherit the stdio of a session's first
    # program; /dev/null keeps them off this script's output. When a session
    # is already running, both return at once.
    quiet = dict(stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-p"], env=env, **quiet)
    subprocess.run(["wine", "cmd", "/c", "exit"], env=env, **quiet)


def read_iso(plan, out, log):
    disc = os.path.join(out, "disc")
    subprocess.run(["xorriso", "-osirrox", "on", "-indev", plan["iso"], "-extract", "/", disc],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["chmod", "-R", "u+w", disc], check=True)
    info = subprocess.run(["xorriso", "-indev", plan["iso"], "-pvd_info"], text=True,
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT).stdout
    match = re.search(r"^Volume id\s*:\s*'(.*)'", info, re.M)
    volume = match.group(1) if match else "?"
    files = sum(len(names) for _, _, names in os.walk(disc))
    log.step(f"The disc image {plan['iso']} (volume {volume})")
    log.say(f"   its {files} files read into {disc}")
    return disc, volume == plan.get("volume_id", volume)


def clear_standin_logs(disc):
    for folder, _, names in os.walk(disc):
        for name in names:
            if name.lower() == "standin.log":
                os.remove(os.path.join(folder, name))


def walk(program, disc, out, plan_file, mode, language, env, log):
    """One run of the walk-through program; (exit code, its "@" records)."""
    run_env = dict(env)
    for name in ("LANGUAGE", "LC_MESSAGES"):
        run_env.pop(name, None)
    run_env["LANG"] = run_env["LC_ALL"] = language["locale"]
    mode = mode if isinstance(mode, list) else [mode]
    try:
        result = subprocess.run(
            ["wine", program, windows_path(disc), windows_path(out), windows_path(plan_file), *mode,
             str(log.steps + 1)],
            env=run_env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
            timeout=900)
    except subprocess.TimeoutExpired as expired:
        found = log.take((expired.stdout or b"").decode("utf-8", "replace"))
        log.say("   FAILED: the walk-through program did not end within 900 s")
        return 1, found
    found = log.take(result.stdout.decode("utf-8", "replace"))
    return result.returncode, found


def show_titles(log, titles, window=None):
    if not titles:
        log.say("   titles shown: none")
    for title, first, last, pid in titles:
        mark = "  <- the manifest's" if title == window else ""
        log.say(f"   title {first / 1000:6.1f} s to {last / 1000:6.1f} s (pid {pid}): {title!r}{mark}")


def discover_titles(program, disc, out, plan_file, language, env, log, limit, with_standins):
    """Runs each installer of the language by itself. Returns (failures,
    {folder: why its buttons are not pressed})."""
    failed, blocked = [], {}
    components = own_installers(language)
    if with_standins:
        seen = {c[1] for c in components}
        for button in language["buttons"]:
            for step in button.get("steps", []):
                if step.get("kind") == "component" and step["folder"] not in seen:
                    seen.add(step["folder"])
                    components.append((step.get("component", step["folder"]), step["folder"],
                                       step["window"], step.get("walkthrough", "fail")))
    for number, (component, folder, window, choice) in enumerate(components, 1):
        code, found = walk(program, disc, out, plan_file,
                           ["titles", folder, str(limit), str(number)], language, env, log)
        titles = seen_titles(found)
        show_titles(log, titles, window)
        finished = found.get("finished", [["0", "no report"]])[-1]
        if finished[0] != "1":
            why = finished[1] if len(finished) > 1 and finished[1] else f"exit code {code}"
            if choice == "skip":
                log.say(f"   SKIPPED: component {component}'s installer cannot be driven to its end "
                        f"({why}); the manifest says walkthrough = \"skip\", so its buttons are "
                        "not pressed")
                blocked[folder] = "skip"
            else:
                log.say(f"   FAILED: component {component}'s installer cannot be driven to its end ({why}); "
                        "walkthrough = \"skip\" in its [[component]] would only report it")
                failed.append(f"{language['key']} component {component}: its installer cannot be "
                              "driven to its end")
                blocked[folder] = "fail"
        shown_for = {}
        for title, first, last, _ in titles:
            shown_for[title] = shown_for.get(title, 0) + last - first
        problem = title_problem(language, component, window, [t[0] for t in titles], shown_for)
        if problem and folder in blocked:
            # Ended before its end: the title may have been still to come.
            log.say(f"   not seen before it was ended: {problem}")
        elif problem and not with_standins:
            log.say(f"   FAILED: {problem}")
            failed.append(f"{language['key']} component {component}: title {window!r} never shown")
    return failed, blocked


def check_layout(plan_path, plan, log):
    """The disc folder and its ISO against the plan, before anything runs."""
    command = kit_command("authoring.walkthrough.layout_check", plan_path)
    launcher = os.path.join(os.path.dirname(plan["disc_folder"]), "SETUP.EXE")
    if os.path.isfile(launcher):
        command += ["--launcher", launcher]
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                            env=locations.python_path_environment(os.environ))
    log.step(f"The disc folder {plan['disc_folder']} and its image, against the manifest")
    for line in result.stdout.splitlines():
        log.say("   " + line)
    return result.returncode == 0


def language_plan(language, out, log):
    """The language's line plan written for the walk-through program, or None
    (said why) when its texts do not fit its code page."""
    plan_file = os.path.join(out, f"plan_{language['key']}.txt")
    try:
        data = plan_bytes(language)
    except PlanTextError as error:
        log.step(f"{language['name']}: not walked through")
        log.say(f"   FAILED: {error}")
        return None
    with open(plan_file, "wb") as f:
        f.write(data)
    return plan_file


def check(plan_path, plan, out, env, log, limit):
    failed = [] if check_layout(plan_path, plan, log) else ["the disc's layout"]
    program = ensure_walkthrough_program(env)
    disc, volume_ok = read_iso(plan, out, log)
    if not volume_ok:
        failed.append(f"volume id is not {plan['volume_id']}")
        log.say(f"   FAILED: the volume id is not {plan['volume_id']}")
    for language in plan["languages"]:
        ensure_locale(language["locale"], env)
        plan_file = language_plan(language, out, log)
        if not plan_file:
            failed.append(f"{language['key']}: a text its code page cannot write")
            continue
        problems, blocked = discover_titles(program, disc, out, plan_file, language, env, log,
                                            limit, False)
        failed += problems
        code, _ = walk(program, disc, out, plan_file, "menu", language, env, log)
        if code != 0:
            failed.append(f"{language['key']} menu (exit code {code})")
        for button in language["buttons"]:
            if button["kind"] != "install":
                continue
            held = [s["folder"] for s in button.get("steps", [])
                    if s["kind"] == "component" and s["folder"] in blocked]
            if held:
                log.step(f"{language['name']}: button {button['number']} not pressed: the installer "
                         f"in {', '.join(held)} cannot be driven to its end (above)")
                continue
            clear_standin_logs(disc)
            code, found = walk(program, disc, out, plan_file, str(button["number"]), language, env, log)
            for text, *_ in found.get("failure", []):
                log.say(f"   the launcher said: {text}")
            if code != 0:
                failed.append(f"{language['key']} button {button['number']} (exit code {code})")
    return failed


def list_titles(plan, out, env, log, limit):
    """--titles: every installer of every language by itself, its titles listed."""
    failed = []
    program = ensure_walkthrough_program(env)
    disc, _ = read_iso(plan, out, log)
    for language in plan["languages"]:
        ensure_locale(language["locale"], env)
        plan_file = language_plan(language, out, log)
        if not plan_file:
            failed.append(f"{language['key']}: a text its code page cannot write")
            continue
        problems, _ = discover_titles(program, disc, out, plan_file, language, env, log, limit, True)
        failed += problems
    return failed


def arguments():
    """check-disc's one set of options, in a checkout and installed alike."""
    parser = argparse.ArgumentParser(prog="check-disc", description="Walks through a disc under Wine.")
    parser.add_argument("manifest", nargs="?", help="the disc's disc.toml")
    parser.add_argument("--plan", help="a walkthrough.json written by make-disc (no build)")
    parser.add_argument("--build-dir", help="where make-disc builds the disc (as make-disc's --build-dir)")
    parser.add_argument("--out", help="the folder for the disc's files, log and screenshots")
    parser.add_argument("--titles", action="store_true",
                        help="only list the window titles each component's installer shows")
    parser.add_argument("--installer-time", type=int, default=120, metavar="SECONDS",
                        help="how long an installer may take to be driven to its end (default 120)")
    return parser


def main(argv=None):
    argv = sys.argv[1:] if argv is None else list(argv)
    parser = arguments()
    args = parser.parse_args(argv)
    if args.installer_time < 1:
        parser.error("--installer-time must be at least 1 second")
    if bool(args.manifest) == bool(args.plan):
        parser.error("give a manifest or --plan, not both")
    problem = missing_tool()
    if problem:
        print(f"check-disc: {problem}", file=sys.stderr, flush=True)
        return 1

    if not os.environ.get("DISPLAY") and not os.environ.get(SESSION_FLAG):
        # A virtual display and a Wine session of our own, ended afterwards.
        env = wine_environment()
        quiet = dict(env=env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-k"], **quiet)
        subprocess.run(["wineserver", "-w"], **quiet)
        command = kit_command("authoring.walkthrough.command", *argv)
        try:
            code = subprocess.run(["xvfb-run", "-a", "-s", "-screen 0 1024x768x24"] + command,
                                  env=locations.python_path_environment({**os.environ, SESSION_FLAG: "1"})
                                  ).returncode
        finally:
            subprocess.run(["wineserver", "-k"], **quiet)
            subprocess.run(["wineserver", "-w"], **quiet)
        return code

    try:
        plan_path = args.plan or build_disc(args.manifest, args.build_dir)
        plan = read_plan(plan_path)
    except CheckDiscStopped as error:
        print(f"check-disc: {error}", file=sys.stderr)
        return exit_code("check-disc", error)
    out = os.path.abspath(args.out or locations.check_disc_out(plan_path, str(plan.get("name", "disc"))))
    if os.path.isdir(out):
        subprocess.run(["chmod", "-R", "u+w", out], check=True)
        shutil.rmtree(out)
    os.makedirs(out)
    env = wine_environment()
    start_wine_session(env)
    log = Log(os.path.join(out, "check-disc.log"))
    log.say(f"check-disc: the disc {plan.get('name')!r} in "
            f"{', '.join(str(language.get('name')) for language in plan['languages'] if isinstance(language, dict))}")
    try:
        if args.titles:
            failed = list_titles(plan, out, env, log, args.installer_time)
        else:
            failed = check(plan_path, plan, out, env, log, args.installer_time)
    except subprocess.CalledProcessError as error:
        command = " ".join(os.path.basename(str(part)) for part in error.cmd[:2])
        log.say(f"check-disc: {command} failed with exit code {error.returncode}; "
                "nothing more could be checked")
        return 2
    except (CheckDiscStopped, programs.BuildError) as error:
        log.say(f"check-disc: {error}; nothing more could be checked")
        return exit_code("check-disc", error)
    except (KeyError, TypeError) as error:
        log.say(f"check-disc: {plan_path} lacks {error} or has it in another form: "
                "make the disc again with this kit's make-disc")
        return 2

    shots = sorted(os.path.join(out, name) for name in os.listdir(out) if name.endswith(".bmp"))
    if shots:
        bmp_to_png(shots)
    log.say("")
    if failed:
        log.step(f"Walk-through done; these runs failed: {'; '.join(failed)}")
    else:
        log.step("Walk-through done: everything went as the manifest says")
    pngs = sorted(name for name in os.listdir(out) if name.endswith(".png"))
    log.say(f"   screenshots: {' '.join(pngs)}")
    report = os.path.join(out, "report.html")
    log.say(f"   in {out}; this account is in {log.file.name}, the report to look at in {report}")
    disc_report.write(report, f"check-disc: the disc {plan.get('name')}", log.lines, failed, out)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
