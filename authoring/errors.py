"""PURPOSE: the kit's errors, in one place, and for each command the exit
code each of them ends it with. Every error's message says what went wrong
in the author's words; a check's own bug is no KitError and stays a traceback."""


class KitError(Exception):
    """Something the kit cannot do; the message says why."""


class BuildError(KitError):
    """A program, a step of the build or the programs list failed."""


class NotOurs(KitError):
    """The build folder cannot be used; the message says why."""


class DiscOriginError(KitError):
    """The disc image could not be read; the message says why."""


class NoFont(KitError):
    """No font to draw a menu's pictures with."""


class IsoImageError(KitError):
    """The image could not be made; the message says why."""


class NsisError(KitError):
    """The script could not be built; the message quotes makensis."""


class PeError(KitError):
    """The prebuilt launcher is not a program the kit can add resources to."""


class ScriptError(KitError):
    """The script holds something this compiler does not read; the message
    names the file and line."""


class SigningError(KitError):
    """A program could not be signed or verified; the message says why."""


class PlanTextError(KitError, ValueError):
    """A text of the plan that its language's code page cannot write; the
    message names the language, the record and the characters."""


class CheckDiscStopped(KitError):
    """check-disc cannot go on; the message says why."""


# Per command: (error class, exit code), the first that matches wins.
EXIT_CODES = {
    "make-disc": ((KitError, 1), (OSError, 1)),
    "setup_program": ((KitError, 1), (OSError, 1)),
    "check-disc": ((CheckDiscStopped, 2), (KitError, 2), (OSError, 2)),
}


def exit_code(command, error):
    """The exit code that error ends command with."""
    for kind, code in EXIT_CODES[command]:
        if isinstance(error, kind):
            return code
    raise error
