"""The walk-through's line plan, written from one language of a
walkthrough.json: records, escapes, the language's code page."""
import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
from authoring.walkthrough.language_plan import PlanTextError, plan_bytes, plan_lines  # noqa: E402


def language(code_page=1252, steps=None, confirmation="Line one\nLine two"):
    return {
        "key": "xx", "name": "Testish", "primary_id": 17, "code_page": code_page,
        "menu_width": 300, "menu_height": 120, "ok": "Go", "cancel": "Stop",
        "buttons": [
            {"number": 1, "control_id": 70, "kind": "exit", "label": "Leave"},
            {"number": 2, "control_id": 71, "kind": "install", "label": "All",
             "confirmation": confirmation, "steps": steps or []},
        ],
    }


class PlanLines(unittest.TestCase):
    def test_records_in_order(self):
        steps = [
            {"kind": "component", "component": "a", "folder": "a\\xx", "window": "A Setup",
             "standin": True},
            {"kind": "run", "program": "tools\\x.exe", "window": ""},
            {"kind": "copy", "source": "docs", "destination": "Docs\\Here", "directory": True},
            {"kind": "copy", "source": "one.txt", "destination": "c:\\one.txt",
             "directory": False},
        ]
        self.assertEqual([
            "language\tTestish\t17\txx",
            "menu\t300\t120",
            "captions\tGo\tStop",
            "button\t1\t70\texit\tLeave",
            "button\t2\t71\tinstall\tAll",
            "confirmation\tLine one\\nLine two",
            "component\ta\\\\xx\tA Setup\tstandin",
            "run\ttools\\\\x.exe\t",
            "copy\tdocs\tDocs\\\\Here\tdirectory",
            "copy\tone.txt\tc:\\\\one.txt\tfile",
        ], plan_lines(language(steps=steps)))

    def test_tab_in_a_text_is_escaped(self):
        self.assertIn("confirmation\ta\\tb", plan_lines(language(confirmation="a\tb")))

    def test_bytes_are_the_code_page_with_crlf(self):
        cases = [  # (code page, text, its bytes)
            (1252, "Gegenstände", "Gegenstände".encode("cp1252")),
            (932, "インストール", "インストール".encode("cp932")),
        ]
        for code_page, text, encoded in cases:
            with self.subTest(code_page=code_page):
                data = plan_bytes(language(code_page, confirmation=text))
                self.assertIn(b"confirmation\t" + encoded + b"\r\n", data)

    def test_text_outside_the_code_page_is_named(self):
        cases = [  # (code page, confirmation, what the message names)
            (1252, "インストール", ["language xx", "confirmation", "'イ'", "code page 1252"]),
            (1250, "Mañana", ["confirmation", "'ñ'", "code page 1250"]),
            (77777, "any", ["code page 77777"]),
        ]
        for code_page, text, named in cases:
            with self.subTest(code_page=code_page):
                with self.assertRaises(PlanTextError) as raised:
                    plan_bytes(language(code_page, confirmation=text))
                for part in named:
                    self.assertIn(part, str(raised.exception))


if __name__ == "__main__":
    unittest.main()
