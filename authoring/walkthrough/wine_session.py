"""PURPOSE: the Wine side of check-disc: the environment of the build's own
32-bit Wine prefix (as scripts/wine-env sets it for the shell scripts), the
prefix made once (as scripts/wine-prefix does), screenshots turned to PNG."""
import os
import subprocess
import sys

from PIL import Image

from .. import locations


def wine_environment():
    """The walk-through's build folder, its Wine prefix, quiet Wine."""
    env = dict(os.environ)
    build = locations.walkthrough_build()
    build.mkdir(parents=True, exist_ok=True)
    env["BUILD_DIR"] = str(build)
    env["WINEPREFIX"] = env.get("WINEPREFIX") or str(build / "wineprefix")
    env["WINEARCH"] = "win32"
    env["WINEDEBUG"] = env.get("WINEDEBUG") or "-all"
    env["WINEDLLOVERRIDES"] = env.get("WINEDLLOVERRIDES") or "mscoree,mshtml="
    env["LOCPATH"] = env.get("LOCPATH") or str(locations.locales_folder())
    return env


def ensure_prefix(env):
    """Creates the prefix once (about 20 s): no crash dialog (a crash would
    otherwise hang a run until its timeout) and no wait for a window
    manager at every GUI program's exit."""
    prefix = env["WINEPREFIX"]
    if os.path.isfile(os.path.join(prefix, "system.reg")):
        return
    subprocess.run(["rm", "-rf", prefix], check=True)
    quiet = dict(env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    subprocess.run(["wineboot", "-i"], **quiet)
    subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\WineDbg", "/v", "ShowCrashDialog",
                    "/t", "REG_DWORD", "/d", "0", "/f"], **quiet)
    subprocess.run(["wine", "reg", "add", r"HKCU\Software\Wine\X11 Driver", "/v", "Managed",
                    "/t", "REG_SZ", "/d", "N", "/f"], **quiet)
    subprocess.run(["wineserver", "-w"], env=env, check=True)


def bmp_to_png(paths):
    """Each screenshot BMP as a PNG beside it, the BMP removed."""
    for bmp in paths:
        png = os.path.splitext(bmp)[0] + ".png"
        try:
            with Image.open(bmp) as picture:
                picture.save(png)
        except OSError as error:
            print(f"check-disc: {bmp}: {error}", file=sys.stderr)
            continue
        os.remove(bmp)
