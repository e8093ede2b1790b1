#!/usr/bin/python3
"""Signs the demo disc through make-disc with a throw-away self-signed
certificate and checks the result: every SETUP.EXE and Tarrywin.exe on the disc and in
its ISO carries a signature that osslsigncode verifies against that
certificate, the signed programs still pass the Windows 95 check, the built
programs stay unsigned; without a certificate the build says so once and
signs nothing; a missing password stops the build and leaves no image, not
even an earlier one; check-disc-origin recognises the signed image as the
unsigned rebuild of the same sources (a rebuilt folder, or the manifest made
again), and tells a changed rebuild apart. Leaves the signed disc in
WORK_DIR/signed (walked through under Wine by check-disc), and in
WORK_DIR/programs the disc's signed Tarrywin.exe with the tests' own
SETUP.EXE (FIXTURE_SETUP_EXE) signed the same way, for the launcher's
end-to-end cases under Wine.

    check_signing.py SOURCE_ROOT PROGRAMS_TXT SETUP_EXE TARRYWIN_EXE FIXTURE_SETUP_EXE WORK_DIR

PROGRAMS_TXT is the build's disc-kit/programs.txt; SETUP_EXE and TARRYWIN_EXE
are that build's own programs.
"""
import os
import pathlib
import shutil
import subprocess
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2]))
from authoring.signing import (SigningError, SigningSettings, sign_programs,   # noqa: E402
                               verify_program)
from throwaway_certificate import make_certificate   # noqa: E402

PASSWORD_ENV = "RELEASE_TEST_DISC_PASSWORD"
problems = []


def problem(text):
    problems.append(text)
    print("PROBLEM:", text)


def make_disc(root, programs, out, extra, env):
    disc, iso = out / "disc", out / "disc.iso"
    run = subprocess.run(
        ["/usr/bin/python3", str(root / "scripts/make-disc"), str(root / "discs/demo/disc.toml"),
         "--build-dir", str(out), "--programs", str(programs), *extra],
        env=env, capture_output=True, text=True)
    return run, disc, iso


def signed_programs(disc):
    return [disc / "SETUP.EXE"] + sorted(disc.rglob("Tarrywin.exe"))


def main():
    root, programs, setup, waiter, fixture_setup, work = (pathlib.Path(a).resolve()
                                                          for a in sys.argv[1:7])
    if work.exists():
        for folder, _, _ in os.walk(work):
            os.chmod(folder, 0o755)
        shutil.rmtree(work)
    password = "throw-away password"
    certificate = make_certificate(work / "certificate", password)
    env = dict(os.environ, **{PASSWORD_ENV: password})
    sign = ["--sign-certificate", str(certificate["p12"]), "--sign-password-env", PASSWORD_ENV]

    run, disc, iso = make_disc(root, programs, work / "signed", sign, env)
    if run.returncode != 0:
        problem(f"signed make-disc failed: {run.stdout}{run.stderr}")
        return 1
    if "not signed" in run.stdout:
        problem("make-disc with a certificate says it did not sign")
    on_disc = signed_programs(disc)
    if len(on_disc) != 10:
        problem(f"expected SETUP.EXE and 9 Tarrywin.exe on the disc, found {len(on_disc)}")
    for program in on_disc:
        try:
            report = verify_program(program, certificate["cert"])
            if "Throwaway Test Publisher" not in report:
                problem(f"{program}: signer not named in\n{report}")
        except SigningError as error:
            problem(str(error))
    pe_check = subprocess.run(
        ["/usr/bin/python3", str(root / "tests/build/check_pe.py"),
         "--allowed", str(root / "tests/build/windows95_imports.txt"),
         str(disc / "SETUP.EXE"), str(disc / "tessera/w95e/Tarrywin.exe")],
        capture_output=True, text=True)
    print(pe_check.stdout.strip())
    if pe_check.returncode != 0:
        problem(f"signed programs fail the Windows 95 check:\n{pe_check.stdout}{pe_check.stderr}")
    for built in (setup, waiter):
        try:
            verify_program(built)
            problem(f"{built} (the build's own program) got signed")
        except SigningError:
            pass
    # The image holds the signed programs, not the unsigned ones.
    extracted = work / "from-iso"
    extracted.mkdir()
    subprocess.run(["xorriso", "-osirrox", "on", "-indev", str(iso),
                    "-extract", "/SETUP.EXE", str(extracted / "SETUP.EXE"),
                    "-extract", "/quillon/w95g/Tarrywin.exe", str(extracted / "Tarrywin.exe")],
                   check=True, capture_output=True)
    for name, on_disc_copy in [("SETUP.EXE", disc / "SETUP.EXE"),
                               ("Tarrywin.exe", disc / "quillon/w95g/Tarrywin.exe")]:
        if (extracted / name).read_bytes() != on_disc_copy.read_bytes():
            problem(f"{name} in the ISO is not the signed one")
    # Signing the same commit again gives the same programs and image.
    again, disc_again, iso_again = make_disc(root, programs, work / "signed-again", sign, env)
    if again.returncode != 0 or iso_again.read_bytes() != iso.read_bytes():
        problem("signing the same disc again gave another image")

    run, disc, iso = make_disc(root, programs, work / "unsigned", [], env)
    if run.returncode != 0:
        problem(f"unsigned make-disc failed: {run.stdout}{run.stderr}")
    elif run.stdout.count("not signed: no certificate") != 1:
        problem(f"make-disc without a certificate should say so once:\n{run.stdout}")
    elif (disc / "SETUP.EXE").read_bytes() != setup.read_bytes():
        problem("without a certificate SETUP.EXE on the disc is not the built one")

    # The signed image against the unsigned rebuild: the same disc; with one
    # file or one program changed in the rebuild, not.
    origin = [str(root / "scripts/check-disc-origin"), str(work / "signed/disc.iso")]
    for rebuild in [[str(disc)], [str(work / "unsigned")],
                    [str(root / "discs/demo/disc.toml"), "--programs", str(programs)]]:
        same = subprocess.run(origin + rebuild, capture_output=True, text=True, env=env)
        print(same.stdout.strip())
        if same.returncode != 0:
            problem(f"check-disc-origin does not recognise the signed disc in the rebuild "
                    f"{' '.join(rebuild)}:\n{same.stdout}{same.stderr}")
    for changed, expected in [("AUTORUN.INF", "AUTORUN.INF differs"),
                              ("SETUP.EXE", "SETUP.EXE differs (its signature removed)")]:
        altered = work / "altered" / changed.replace(".", "_")
        shutil.copytree(disc, altered)
        data = bytearray((altered / changed).read_bytes())
        data[len(data) // 2] ^= 0x01
        (altered / changed).write_bytes(bytes(data))
        other = subprocess.run(origin + [str(altered)], capture_output=True, text=True, env=env)
        if other.returncode != 1 or expected not in other.stdout:
            problem(f"check-disc-origin with {changed} changed (code {other.returncode}):\n"
                    f"{other.stdout}{other.stderr}")

    # Into a folder that holds an earlier run's image.
    no_password = {k: v for k, v in env.items() if k != PASSWORD_ENV}
    shutil.copytree(work / "unsigned", work / "no-password")
    run, disc, iso = make_disc(root, programs, work / "no-password", sign, no_password)
    if run.returncode == 0 or PASSWORD_ENV not in run.stderr or iso.exists():
        problem(f"a missing password should stop make-disc and leave no image "
                f"(code {run.returncode}):\n{run.stdout}{run.stderr}")
    if "Traceback" in run.stderr:
        problem(f"make-disc without the password ends in a traceback:\n{run.stderr}")
    print((run.stderr.strip().splitlines() or ["(nothing)"])[-1])

    shipped = work / "programs"
    shipped.mkdir()
    shutil.copyfile(fixture_setup, shipped / "SETUP.EXE")
    os.environ[PASSWORD_ENV] = password
    try:
        sign_programs([shipped / "SETUP.EXE"], SigningSettings(certificate["p12"], PASSWORD_ENV),
                      signing_time=946684800)
        verify_program(shipped / "SETUP.EXE", certificate["cert"])
    except SigningError as error:
        problem(f"the tests' SETUP.EXE: {error}")
    shutil.copyfile(work / "signed/disc/tessera/w95e/Tarrywin.exe", shipped / "Tarrywin.exe")
    if problems:
        print(f"{len(problems)} problem(s)")
        return 1
    print(f"signed and verified: {len(on_disc)} programs; left in {shipped}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
