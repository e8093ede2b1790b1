"""1. Size: SETUP.EXE without its bitmaps and Tarrywin.exe whole, by section
and by resource type."""
import os

import pe_sizes
import wine

KB = 1024
CODE_DATA_TARGET = {"SETUP.EXE": 16 * KB}
WHOLE_TARGET = {"Tarrywin.exe": 8 * KB}


def report_program(path):
    name = os.path.basename(path)
    file_bytes = os.path.getsize(path)
    table = pe_sizes.sections(path)
    resources = pe_sizes.resources_by_type(path)
    print(f"{name}: {file_bytes} bytes on disk")
    print("  section     bytes")
    for section, size in table:
        print(f"  {section:<10} {size:6}")
    code_data = sum(size for section, size in table if section != ".rsrc")
    print(f"  code+data (every section but .rsrc): {code_data} bytes = {code_data / KB:.1f} KB")
    if resources:
        print("  .rsrc by type   count    bytes")
        for kind, (count, size) in sorted(resources.items(), key=lambda item: -item[1][1]):
            print(f"    {kind:<14} {count:5} {size:8}")
        rsrc = dict(table).get(".rsrc", 0)
        data = sum(size for _, size in resources.values())
        print(f"    {'(directory)':<14} {'':5} {rsrc - data:8}")
    bitmaps = resources.get("BITMAP", (0, 0))[1]
    without = file_bytes - bitmaps
    if name in CODE_DATA_TARGET:
        target = CODE_DATA_TARGET[name]
        print(f"  without bitmaps: {without} bytes = {without / KB:.1f} KB "
              f"(file minus {bitmaps} bytes of BITMAP data)")
        print(f"  code+data {code_data / KB:.1f} KB against target {target / KB:.0f} KB: "
              f"{'met' if code_data <= target else 'MISSED'} "
              f"(ratio {code_data / target:.2f})")
    if name in WHOLE_TARGET:
        target = WHOLE_TARGET[name]
        print(f"  whole file {file_bytes / KB:.1f} KB against target {target / KB:.0f} KB: "
              f"{'met' if file_bytes <= target else 'MISSED'} (ratio {file_bytes / target:.2f})")


def measure():
    print("== 1. Size")
    report_program(wine.build_path("product", "SETUP.EXE"))
    report_program(wine.build_path("product", "Tarrywin.exe"))
