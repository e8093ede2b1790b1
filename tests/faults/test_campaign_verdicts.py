"""The fault campaign's verdicts: which exit counts as a crash, a hang or a
failure, and whose crash report a line of Wine's standard error is."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "bench", "faults"))
os.environ.setdefault("BUILD_DIR", "")
import campaign  # noqa: E402


class Verdicts(unittest.TestCase):
    def test_exits(self):
        table = [
            (("exit", 0, None), "ok"),
            (("exit", 0, ["wine: Unhandled page fault"]), "crash"),
            (("exit", 0xC0000005, None), "crash"),
            (("exit", 0xC00000FD, None), "crash"),
            (("exit", 0x80000003, None), "crash"),
            (("exit", 1, None), "exit 0x1"),
            (("exit", 0xBFFFFFFF, None), "exit 0xbfffffff"),
            (("hang", 0, None), "hang"),
            (("nostart", 0, None), "nostart"),
        ]
        for arguments, expected in table:
            with self.subTest(arguments=arguments):
                self.assertEqual(campaign.classify(*arguments), expected)

    def test_reports_belong_to_the_case_that_began_last(self):
        stderr = "\n".join([
            "case c00001 begins",
            "fixme:something harmless",
            "case c00002 begins",
            "wine: Unhandled page fault on write access to 00000000 at address 0040131F",
            "Backtrace:",
            "case c00003 begins",
        ])
        reports = campaign.crash_reports(stderr)
        self.assertEqual(sorted(reports), ["c00002"])
        self.assertEqual(len(reports["c00002"]), 2)


if __name__ == "__main__":
    unittest.main()
