"""check-disc's HTML report from an account: steps, results, pictures, titles."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
from authoring.walkthrough import report as disc_report  # noqa: E402

ACCOUNT = """check-disc: the disc 'x' in English

1. English: the installer in a\\en by itself
   [  0.1 s] setup.exe started (pid 40)
   [  2.5 s] screenshot installer_en_1_page1
   title    0.4 s to    2.1 s (pid 40): 'A <Setup>'  <- the manifest's

2. English: button 2 asks for confirmation
   [  0.3 s] screenshot confirm_en_2
   FAILED: the confirmation's text is not the manifest's "x"

3. English: button 3 not pressed
   SKIPPED: component b
""".splitlines()


class Report(unittest.TestCase):
    def test_steps_results_pictures_and_titles(self):
        with tempfile.TemporaryDirectory() as folder:
            for name in ("installer_en_1_page1.png", "confirm_en_2.png"):
                open(os.path.join(folder, name), "wb").close()
            path = os.path.join(folder, "report.html")
            shown = disc_report.write(path, "check-disc: x", ACCOUNT, ["en button 2"], folder)
            with open(path, encoding="utf-8") as f:
                page = f.read()
        self.assertEqual(["installer_en_1_page1.png", "confirm_en_2.png"], shown)
        for part in ('<img src="installer_en_1_page1.png"', '<img src="confirm_en_2.png"',
                     '<section class="failed">', '<section class="skipped">',
                     '<section class="passed">', "2.5 s", "A &lt;Setup&gt;",
                     "These runs failed: en button 2"):
            self.assertIn(part, page)


if __name__ == "__main__":
    unittest.main()
