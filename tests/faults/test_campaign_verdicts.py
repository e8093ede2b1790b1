"""The fault campaign's verdicts: which exit counts as a crash, a hang or a
failure, whose crash report a line of Wine's standard error is, and which
cases Xlib ended and are run again."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "campaign"))
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
            (("exit", 1, None, ["X Error of failed request:  BadWindow"]), "x error"),
            (("exit", 2, None, ["X Error of failed request:  BadWindow"]), "exit 0x2"),
            (("exit", 0, None, ["X Error of failed request:  BadWindow"]), "ok"),
            (("exit", 0xC0000005, None, ["X Error of failed request:  BadWindow"]), "crash"),
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

    def test_xlib_reports_take_the_error_and_its_details(self):
        stderr = "\n".join([
            "case c00002 begins",
            "case c00003 begins",
            "X Error of failed request:  BadWindow (invalid Window parameter)",
            "  Major opcode of failed request:  10 (X_UnmapWindow)",
            "  Resource id in failed request:  0x400001",
            "fixme:something harmless",
            "  indented, but no longer the report",
            "case c00011 begins",
        ])
        reports = campaign.xlib_errors(stderr)
        self.assertEqual(sorted(reports), ["c00003"])
        self.assertEqual(reports["c00003"][1], "  Major opcode of failed request:  10 (X_UnmapWindow)")
        self.assertEqual(len(reports["c00003"]), 3)
        self.assertEqual(campaign.crash_reports(stderr), {})

    def test_only_cases_that_xlib_ended_run_again(self):
        xerror = ("x error", 5, 3, ["X Error of failed request:  BadWindow"])
        batch = [("c00003",), ("c00004",), ("c00020",)]
        outcomes = {"c00003": xerror, "c00004": ("exit 0x1", 5, 3, []), "c00020": xerror}
        # c00003 ends with 0 when run again; c00020 keeps being ended by Xlib.
        runs = []

        def run_again(cases, *_):
            runs.append([c[0] for c in cases])
            return {name: (("ok", 5, 3, []) if name == "c00003" else xerror) for name, *_ in cases}

        saved = campaign.run_batch
        campaign.run_batch = run_again
        try:
            ended = campaign.replay_xlib_errors(batch, outcomes, "disc", 1000, "driver")
        finally:
            campaign.run_batch = saved
        self.assertEqual(runs, [["c00003", "c00020"], ["c00020"]][:campaign.XLIB_REPLAYS])
        self.assertEqual(outcomes["c00003"][0], "ok")
        self.assertEqual(outcomes["c00004"][0], "exit 0x1")
        self.assertEqual(outcomes["c00020"][0], "x error")
        self.assertEqual(ended, 2 + campaign.XLIB_REPLAYS)


if __name__ == "__main__":
    unittest.main()
