"""A component folder as the disc has one: Tarrywin.exe, its INI, and the
stand-in installer as setup.exe with its settings."""
import os
import shutil

import wine


def prepare(folder, title, lifetime_ms):
    """Fresh folder whose waiter watches for title; the stand-in opens one
    window with that title for lifetime_ms (0: until it is closed)."""
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copy(wine.build_path("product", "Tarrywin.exe"), os.path.join(folder, "Tarrywin.exe"))
    shutil.copy(wine.build_path("standin_setup.exe"), os.path.join(folder, "setup.exe"))
    wine.write_ini(os.path.join(folder, "Tarrywin.INI"), "CHECK", {"STRING": title})
    wine.write_ini(os.path.join(folder, "standin.ini"), "standin",
                   {"mode": "window", "title": title, "lifetime": lifetime_ms})
    return os.path.join(folder, "standin.log")
