#!/usr/bin/python3
"""Opens check-disc's report in a real browser (Debian's headless Chromium)
and checks that it renders with every picture it names: each <img> loaded
with a size, and a screenshot of the page that is not blank.

    check_report_renders.py FOLDER/report.html [--expect PREFIX ...]

--expect names picture prefixes that must be among those shown (menu_,
confirm_, installer_, failure_ ...). Exit code 0 when all holds."""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile

from PIL import Image

# Written into a copy of the page beside it, so the pictures' relative
# names load as they do for the report itself.
PROBE = """<script>
window.addEventListener("load", function () {
  var seen = [];
  for (var i = 0; i < document.images.length; i++) {
    var img = document.images[i];
    seen.push(img.getAttribute("src") + "=" + (img.complete ? img.naturalWidth : 0) + "x" + img.naturalHeight);
  }
  document.body.setAttribute("data-images", seen.join(" "));
});
</script>"""


def chromium(profile, *arguments):
    browser = shutil.which("chromium") or shutil.which("chromium-browser")
    if not browser:
        sys.exit("check_report_renders: no chromium (Debian's chromium package)")
    return subprocess.run(
        [browser, "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         f"--user-data-dir={profile}", *arguments],
        capture_output=True, text=True, timeout=120)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("report")
    parser.add_argument("--expect", nargs="*", default=[])
    args = parser.parse_args()
    report = os.path.abspath(args.report)
    with open(report, encoding="utf-8") as f:
        page = f.read()
    named = re.findall(r'<img src="([^"]+)"', page)
    problems = []
    if not named:
        problems.append("the report shows no picture")
    probe = os.path.join(os.path.dirname(report), "report-render-check.html")
    with open(probe, "w", encoding="utf-8") as f:
        f.write(page.replace("</body>", PROBE + "</body>"))
    with tempfile.TemporaryDirectory() as scratch:
        dom = chromium(os.path.join(scratch, "profile-dom"), "--virtual-time-budget=10000",
                       "--dump-dom", "file://" + probe)
        loaded = re.search(r'data-images="([^"]*)"', dom.stdout)
        if not loaded:
            problems.append(f"the browser did not finish loading the page: {dom.stderr[-500:]}")
        else:
            sizes = dict(entry.rsplit("=", 1) for entry in loaded.group(1).split() if "=" in entry)
            for name in named:
                width = sizes.get(name, "0x0").split("x")[0]
                if not width.isdigit() or int(width) == 0:
                    problems.append(f"{name} did not load in the browser")
            print(f"the browser loaded {sum(1 for n in named if sizes.get(n, '0').split('x')[0] not in ('', '0'))}"
                  f" of the report's {len(named)} pictures")
        shot = os.path.join(os.path.dirname(report), "report-rendered.png")
        chromium(os.path.join(scratch, "profile-shot"), "--window-size=1200,2400",
                 f"--screenshot={shot}", "file://" + report)
        if not os.path.isfile(shot):
            problems.append("the browser made no screenshot of the report")
        else:
            with Image.open(shot) as picture:
                colours = picture.convert("RGB").getcolors(1 << 16)
            if not colours or len(colours) < 16:
                problems.append(f"the report's screenshot {shot} is blank")
            else:
                print(f"the report as the browser shows it: {shot}")
    os.remove(probe)
    for prefix in args.expect:
        if not any(name.startswith(prefix) for name in named):
            problems.append(f"the report shows no {prefix}* picture")
    for text in problems:
        print("FAIL:", text)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
