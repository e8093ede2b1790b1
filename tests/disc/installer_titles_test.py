"""Reading the walk-through's installer reports, and the title check's verdicts."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
from authoring.walkthrough.installer_titles import nearest, own_installers, records, seen_titles, title_problem  # noqa: E402

LANGUAGE = {"key": "en", "name": "English"}


class Reading(unittest.TestCase):
    def test_records_are_kept_apart(self):
        output = ("1. a step\n@title\t400\t2100\t36\tLumen Draw Setup: License\n   [ 0.1 s] x\n"
                  "@title\t120\t300\t36\tTab\there\n@finished\t1\t\n")
        lines, found = records(output)
        self.assertEqual(["1. a step", "   [ 0.1 s] x"], lines)
        self.assertEqual([("Tab\there", 120, 300, "36"), ("Lumen Draw Setup: License", 400, 2100, "36")],
                         seen_titles(found))
        self.assertEqual([["1", ""]], found["finished"])


class TitleCheck(unittest.TestCase):
    def test_cases(self):
        shown = ["Lumen Draw Setup: License Agreement", "Lumen Draw Setup: Installing"]
        cases = [  # (manifest title, titles shown, None or what the message holds)
            ("Lumen Draw Setup: Installing", shown, None),
            ("Lumen Draw Setup", shown, ["component lumen", "English (en)", "'Lumen Draw Setup'",
                                         "did you mean 'Lumen Draw Setup: Installing'",
                                         "'Lumen Draw Setup: License Agreement'"]),
            ("Lumen Draw Setup", [], ["no titled window"]),
        ]
        for window, titles, expected in cases:
            with self.subTest(window=window, titles=titles):
                problem = title_problem(LANGUAGE, "lumen", window, titles)
                if expected is None:
                    self.assertIsNone(problem)
                else:
                    for part in expected:
                        self.assertIn(part, problem)

    def test_nearest(self):
        wizard = ["Lumen Draw Setup: Installing", "Lumen Draw Setup: Completed"]
        cases = [  # (manifest title, titles shown, ms each was shown, the suggestion)
            ("Orbit  Setup", ["Install", "Orbit Setup"], {}, "Orbit Setup"),
            ("Lumen Draw Setup", wizard, {wizard[0]: 1400, wizard[1]: 0}, wizard[0]),
            ("Lumen Draw Setup", wizard, {wizard[0]: 0, wizard[1]: 1400}, wizard[1]),
            ("x", [], {}, None),
        ]
        for title, titles, shown_for, expected in cases:
            with self.subTest(title=title, shown_for=shown_for):
                self.assertEqual(expected, nearest(title, titles, shown_for))

    def test_own_installers_once_each(self):
        own = {"kind": "component", "component": "b", "folder": "b\\en", "window": "B",
               "standin": False, "walkthrough": "skip"}
        standin = {"kind": "component", "component": "a", "folder": "a\\en", "window": "A",
                   "standin": True}
        language = {"buttons": [{"steps": [standin, own]}, {"steps": [own]}, {"kind": "exit"}]}
        self.assertEqual([("b", "b\\en", "B", "skip")], own_installers(language))


if __name__ == "__main__":
    unittest.main()
