"""Authenticode signatures on the disc's programs, made with osslsigncode.

SETUP.EXE asks for administrator rights; Windows names the publisher of a
signed one in its elevation prompt instead of "Unknown publisher". Each
program is signed in place with a SHA-256 Authenticode signature from a
PKCS#12 certificate whose password is read from an environment variable
(never from the command line, where other users' process lists would show
it). The signature carries a signing time; it is the build's epoch (see
iso_image.build_epoch), so the same sources signed with the same certificate
give the same bytes. A time stamp from a server, when asked for, is the
server's own time and differs on every run.
"""
import dataclasses
import os
import pathlib
import subprocess
import tempfile

from authoring.iso_image import IsoImageError, build_epoch
from .errors import SigningError  # noqa: F401 (raised and caught as signing.SigningError)



@dataclasses.dataclass
class SigningSettings:
    certificate: pathlib.Path      # PKCS#12 (.p12/.pfx): key and certificate chain
    password_env: str              # name of the environment variable with its password
    timestamp_url: str | None = None   # RFC 3161 time-stamp server


def _run(command: list[str], what: str, stdin: str | None = None) -> str:
    try:
        run = subprocess.run(command, input=stdin, capture_output=True, text=True)
    except OSError as error:
        raise SigningError(f"cannot run osslsigncode ({what}): {error}") from error
    if run.returncode != 0:
        report = (run.stdout + run.stderr).strip()
        raise SigningError(f"osslsigncode could not {what} (code {run.returncode}):\n{report}")
    return run.stdout


def _password(settings: SigningSettings) -> str:
    if not settings.password_env:
        raise SigningError("no environment variable named for the certificate's password")
    password = os.environ.get(settings.password_env)
    if password is None:
        raise SigningError(f"the certificate's password is read from the environment "
                           f"variable {settings.password_env}, which is not set")
    return password


def sign_command(program: pathlib.Path, signed: pathlib.Path, settings: SigningSettings,
                 signing_time: int) -> list[str]:
    command = ["osslsigncode", "sign",
               "-pkcs12", str(settings.certificate),
               # One line of standard input: the password, kept off the
               # command line.
               "-readpass", "/dev/stdin",
               "-h", "sha256",
               "-time", str(signing_time)]
    if settings.timestamp_url:
        command += ["-ts", settings.timestamp_url]
    return command + ["-in", str(program), "-out", str(signed)]


def sign_programs(paths: list[pathlib.Path], settings: SigningSettings,
                  signing_time: int | None = None) -> None:
    """Signs each program in place. Checks everything it can before signing
    the first, so a bad setting leaves every program as it was; a program
    that is already signed gets the new signature instead of its old one."""
    password = _password(settings)
    certificate = pathlib.Path(settings.certificate)
    if not certificate.is_file():
        raise SigningError(f"certificate {certificate} does not exist")
    programs = [pathlib.Path(path) for path in paths]
    for program in programs:
        if not program.is_file():
            raise SigningError(f"program to sign {program} does not exist")
    if signing_time is None:
        try:
            signing_time = build_epoch()
        except IsoImageError as error:
            raise SigningError(str(error)) from error
    for program in programs:
        # The signed copy is written beside the program and then takes its
        # place, so a failure never leaves half a program behind.
        handle, temporary = tempfile.mkstemp(prefix=program.name + ".", suffix=".signing",
                                             dir=program.parent)
        os.close(handle)
        signed = pathlib.Path(temporary)
        try:
            signed.unlink()   # osslsigncode writes the file itself
            _run(sign_command(program, signed, settings, signing_time),
                 f"sign {program}", stdin=password)
            os.replace(signed, program)
        finally:
            if signed.exists():
                signed.unlink()


def verify_program(path: pathlib.Path, ca_file: pathlib.Path | None = None) -> str:
    """Checks path's Authenticode signature, its chain ending in ca_file when
    given (else the system's trusted roots); returns osslsigncode's report.
    Raises SigningError when the program is unsigned or the signature does
    not hold."""
    path = pathlib.Path(path)
    if not path.is_file():
        raise SigningError(f"program to verify {path} does not exist")
    command = ["osslsigncode", "verify", "-in", str(path)]
    if ca_file is not None:
        command += ["-CAfile", str(ca_file)]
    return _run(command, f"verify the signature of {path}")


def is_signed(path: pathlib.Path) -> bool:
    """Whether path carries an Authenticode signature (valid or not): its
    PE certificate table is not empty."""
    data = pathlib.Path(path).read_bytes()
    if data[:2] != b"MZ" or len(data) < 0x40:
        return False
    pe = int.from_bytes(data[0x3C:0x40], "little")
    if data[pe:pe + 4] != b"PE\0\0":
        return False
    optional = pe + 24
    magic = int.from_bytes(data[optional:optional + 2], "little")
    directories = optional + (96 if magic == 0x10B else 112)
    entry = directories + 8 * 4   # IMAGE_DIRECTORY_ENTRY_SECURITY
    size = int.from_bytes(data[entry + 4:entry + 8], "little")
    return size != 0


def strip_signature(path: pathlib.Path, unsigned: pathlib.Path) -> None:
    """Writes path without its signature to unsigned: the program as it was
    before signing, byte for byte."""
    unsigned = pathlib.Path(unsigned)
    if unsigned.exists():
        unsigned.unlink()   # osslsigncode does not overwrite
    _run(["osslsigncode", "remove-signature", "-in", str(path), "-out", str(unsigned)],
         f"remove the signature of {path}")

