"""The parts of a PE image that the size report needs: the section table
(as i686-w64-mingw32-objdump -h prints it) and the resource data by type,
read with the kit's PE reader."""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
from authoring.pe_image import PeImage  # noqa: E402

RESOURCE_TYPES = {1: "CURSOR", 2: "BITMAP", 3: "ICON", 4: "MENU", 5: "DIALOG",
                  6: "STRING", 7: "FONTDIR", 8: "FONT", 9: "ACCELERATOR",
                  10: "RCDATA", 11: "MESSAGETABLE", 12: "GROUP_CURSOR",
                  14: "GROUP_ICON", 16: "VERSION", 24: "MANIFEST"}


def sections(path):
    """[(name, size)] from objdump -h, in file order."""
    out = subprocess.run(["i686-w64-mingw32-objdump", "-h", path], check=True,
                         capture_output=True, text=True).stdout
    found = []
    for line in out.splitlines():
        fields = line.split()
        if len(fields) >= 7 and fields[0].isdigit():
            found.append((fields[1], int(fields[2], 16)))
    return found


def resources_by_type(path):
    """{type name: (count, bytes of data)} over every resource of the image."""
    image = PeImage.read(path)
    totals = {}
    for (kind, *_), entry in image.resource_entries().items():
        name = kind if isinstance(kind, str) else RESOURCE_TYPES.get(kind, str(kind))
        count, size = totals.get(name, (0, 0))
        totals[name] = (count + 1, size + image.unpack("<I", entry + 4)[0])
    return totals
