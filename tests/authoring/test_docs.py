"""PURPOSE: every link and every command in README.md and docs/*.md leads somewhere real.

A relative link must name an existing file, and its #anchor a heading of
that file; a path of the repository written in code must exist; a command
that starts a repository script (scripts/..., bench/run, .ci/run) or the
kit's make-disc or check-disc must name a script that exists and is
executable, and each of its long options must be one the script knows: in
the --help a Python script answers, or in a shell script's own text (its
case patterns). Short options are left alone: scripts/test hands them to
ctest.
"""
import os
import re
import subprocess
import unittest
from functools import lru_cache
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
LINK = re.compile(r"!?\[[^\]]*\]\(([^)\s]+)\)")
HEADING = re.compile(r"^#{1,6}\s+(.*?)\s*#*\s*$", re.M)
FENCE = re.compile(r"^```.*?^```", re.M | re.S)
INLINE = re.compile(r"`([^`\n]+)`")
# The folders of the repository that a path in the pages may start with.
TOP = ("launcher/", "waiter/", "startup/", "standin/", "walkthrough/", "authoring/", "discs/",
       "disc/", "tests/", "bench/", "cmake/", "scripts/", "docs/", ".ci/")
# Examples that stand for the reader's own disc, not for files of the repository.
EXAMPLES = ("discs/mydisc",)
# The kit's commands, checked against the scripts that run them in a checkout.
KIT_COMMANDS = {"make-disc": "scripts/make-disc", "check-disc": "scripts/check-disc"}
SCRIPT = re.compile(r"^(?:\./)?((?:scripts/[\w-]+|bench/run|\.ci/run))$")


def pages():
    return [ROOT / "README.md"] + sorted((ROOT / "docs").glob("*.md"))


def anchor_of(heading):
    """The anchor a heading gets where the pages are read (lower case, the
    punctuation but - and _ dropped, spaces to hyphens)."""
    text = re.sub(r"[`*_]{1,2}(?=\S)|(?<=\S)[`*_]{1,2}", "", heading.strip()).lower()
    return re.sub(r"[^\w\- ]", "", text).replace(" ", "-")


def anchors(path):
    text = FENCE.sub("", path.read_text(encoding="utf-8"))
    return {anchor_of(h) for h in HEADING.findall(text)}


def link_problems(page, text):
    """What is wrong with the relative links of one page's text."""
    problems = []
    for target in LINK.findall(FENCE.sub("", text)):
        if re.match(r"^[a-z][a-z0-9+.-]*:", target):
            continue  # http:, https:, mailto:
        file_part, _, anchor = target.partition("#")
        where = (page.parent / file_part).resolve() if file_part else page
        if not where.exists():
            problems.append(f"{target}: no file {where.relative_to(ROOT) if where.is_relative_to(ROOT) else where}")
        elif anchor and (where.suffix != ".md" or anchor not in anchors(where)):
            problems.append(f"{target}: no heading #{anchor} in {where.name}")
    return problems


def code_texts(text):
    """Every piece of code in a page: each line of a fenced or indented
    block, and each inline code span."""
    pieces = []
    for block in FENCE.findall(text):
        pieces += block.splitlines()[1:-1]
    rest = FENCE.sub("", text)
    pieces += [line.strip() for line in rest.splitlines() if line.startswith("    ") and line.strip()]
    for line in rest.splitlines():
        if not line.startswith("    "):
            pieces += INLINE.findall(line)
    return pieces


def commands(piece):
    """(script, [long options]) for each command in a piece of code."""
    found = []
    for part in re.split(r"&&|\|\||;|\|", piece.split(" #")[0]):
        words = part.split()
        while words and re.match(r"^(sudo|[A-Z_]+=\S*)$", words[0]):
            words = words[1:]  # sudo, LANG=... before the command
        if not words:
            continue
        script = KIT_COMMANDS.get(Path(words[0]).name) if words[0].endswith(tuple(KIT_COMMANDS)) else None
        match = SCRIPT.match(words[0])
        if match:
            script = match.group(1)
        if script:
            options = [re.sub(r"[\[\]]", "", w).split("=")[0] for w in words[1:]]
            found.append((script, [o for o in options if o.startswith("--") and len(o) > 2]))
    return found


def repository_paths(piece):
    """The paths of the repository a piece of code names (not those with
    placeholders, and not what a build makes)."""
    paths = []
    for word in re.split(r"[\s,()'\"=]+", piece):
        word = word.rstrip(".:;")
        if not word.startswith(TOP) or word.startswith(EXAMPLES):
            continue
        if re.search(r"[<>*{}$]|\.\.\.", word):
            continue
        paths.append(word)
    return paths


@lru_cache(maxsize=None)
def known_options(script):
    """The long options a script knows: its --help for a Python script,
    its own text for a shell script."""
    path = ROOT / script
    text = path.read_text(encoding="utf-8", errors="replace")
    if text.startswith("#!") and "python" in text.splitlines()[0]:
        answer = subprocess.run([str(path), "--help"], capture_output=True, text=True, timeout=120,
                                cwd=ROOT, env=dict(os.environ, PYTHONDONTWRITEBYTECODE="1"))
        if answer.returncode != 0:
            return None
        text = answer.stdout
    return set(re.findall(r"--[a-z][a-z0-9-]*", text))


class DocsLinks(unittest.TestCase):
    def test_every_relative_link_and_anchor_resolves(self):
        for page in pages():
            with self.subTest(page=page.name):
                self.assertEqual(link_problems(page, page.read_text(encoding="utf-8")), [])

    def test_a_broken_link_or_anchor_is_found(self):
        page = ROOT / "docs" / "authoring.md"
        cases = [
            ("[x](nothing-here.md)", 1),
            ("[x](manifest.md#no-such-heading)", 1),
            ("[x](#no-such-heading)", 1),
            ("[x](manifest.md#built-in-languages)", 0),
            ("![menu](menu_en.png)", 0),
            ("[x](https://example.com/nothing)", 0),
        ]
        for text, count in cases:
            with self.subTest(text=text):
                self.assertEqual(len(link_problems(page, text)), count)

    def test_anchors_are_made_as_where_the_pages_are_read(self):
        for heading, anchor in [("The kit's packages", "the-kits-packages"),
                                ("256-colour screens", "256-colour-screens"),
                                ("Limits, and what else make-disc checks before writing",
                                 "limits-and-what-else-make-disc-checks-before-writing"),
                                ("The manifest, `disc.toml`", "the-manifest-disctoml")]:
            with self.subTest(heading=heading):
                self.assertEqual(anchor_of(heading), anchor)


class DocsCommands(unittest.TestCase):
    def test_every_path_named_in_code_exists(self):
        for page in pages():
            for piece in code_texts(page.read_text(encoding="utf-8")):
                for path in repository_paths(piece):
                    with self.subTest(page=page.name, path=path):
                        self.assertTrue((ROOT / path).exists(), f"{page.name}: {path} does not exist")

    def test_every_command_names_a_script_that_knows_its_options(self):
        seen = 0
        for page in pages():
            for piece in code_texts(page.read_text(encoding="utf-8")):
                for script, options in commands(piece):
                    seen += 1
                    with self.subTest(page=page.name, command=piece):
                        path = ROOT / script
                        self.assertTrue(path.is_file() and os.access(path, os.X_OK),
                                        f"{script} is not an executable script")
                        known = known_options(script)
                        self.assertIsNotNone(known, f"{script} --help failed")
                        for option in options:
                            self.assertIn(option, known, f"{script} has no option {option}")
        self.assertGreater(seen, 0, "the pages name no command at all: the parser found none")

    def test_commands_and_paths_are_read_from_code(self):
        cases = [
            ("scripts/test --no-setup -R menu", [("scripts/test", ["--no-setup"])]),
            ("sudo make-disc disc.toml --build-dir x", [("scripts/make-disc", ["--build-dir"])]),
            ("~/disc-kit/bin/check-disc --titles disc.toml", [("scripts/check-disc", ["--titles"])]),
            ("scripts/setup && cmake --preset default", [("scripts/setup", [])]),
            ("LANG=fr_FR.UTF-8 scripts/demo", [("scripts/demo", [])]),
            ("cmake --build build/default", []),
        ]
        for piece, expected in cases:
            with self.subTest(piece=piece):
                self.assertEqual(commands(piece), expected)
        self.assertEqual(repository_paths("see tests/build/windows95_imports.txt and <build>/x, discs/mydisc/a"),
                         ["tests/build/windows95_imports.txt"])

    def test_an_unknown_option_is_found(self):
        self.assertNotIn("--no-such-option", known_options("scripts/make-disc"))
        self.assertIn("--build-dir", known_options("scripts/make-disc"))


if __name__ == "__main__":
    unittest.main()
