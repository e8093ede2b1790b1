"""PURPOSE: the kit's import structure, walked from its sources: no kit
module imports a command-line module, no import circle, and only
locations.py looks at where the kit lies (checkout or installed)."""
import ast
import unittest
from pathlib import Path

KIT = Path(__file__).resolve().parents[2] / "authoring"
# The modules that are command lines (run as make-disc, check-disc, or with
# python3 -m), which the library under them must never import.
COMMANDS = {"authoring.make_disc", "authoring.setup_program", "authoring.walkthrough.command",
            "authoring.walkthrough.layout_check"}
# What tells a module where it lies: only locations.py may use these.
WHERE_WORDS = ("__file__", "CMakeLists.txt", "site-packages")


def module_name(path):
    parts = path.relative_to(KIT.parent).with_suffix("").parts
    return ".".join(parts[:-1] if parts[-1] == "__init__" else parts)


def kit_modules():
    return {module_name(path): path for path in sorted(KIT.rglob("*.py")) if "__pycache__" not in path.parts}


def imported(name, path, known):
    """The kit modules that the module imports, at any depth of its code."""
    package = name if path.name == "__init__.py" else name.rpartition(".")[0]
    found = set()
    for node in ast.walk(ast.parse(path.read_text(encoding="utf-8"))):
        if isinstance(node, ast.Import):
            found.update(alias.name for alias in node.names if alias.name in known)
        elif isinstance(node, ast.ImportFrom):
            if node.level:
                base = package.split(".")
                base = base[:len(base) - node.level + 1]
                origin = ".".join(base + ([node.module] if node.module else []))
            else:
                origin = node.module or ""
            for alias in node.names:
                if f"{origin}.{alias.name}" in known:
                    found.add(f"{origin}.{alias.name}")
                elif origin in known:
                    found.add(origin)
    return found - {name}


def circle(graph):
    """One import circle as a list of modules, or None."""
    state, trail = {}, []

    def visit(module):
        state[module] = "open"
        trail.append(module)
        for other in sorted(graph[module]):
            if state.get(other) == "open":
                return trail[trail.index(other):] + [other]
            if other not in state:
                found = visit(other)
                if found:
                    return found
        state[module] = "done"
        trail.pop()
        return None

    for module in sorted(graph):
        if module not in state:
            found = visit(module)
            if found:
                return found
    return None


class KitImports(unittest.TestCase):
    def setUp(self):
        self.modules = kit_modules()
        self.graph = {name: imported(name, path, self.modules) for name, path in self.modules.items()}

    def test_the_walk_sees_the_kit(self):
        # The walk must find the commands and the library's edges, or the
        # checks below would pass on nothing.
        self.assertLessEqual(COMMANDS, set(self.modules))
        self.assertIn("authoring.build", self.graph["authoring.make_disc"])
        self.assertIn("authoring.locations", self.graph["authoring.programs"])

    def test_no_module_imports_a_command_line_module(self):
        for name, imports in sorted(self.graph.items()):
            with self.subTest(module=name):
                self.assertEqual(sorted(imports & COMMANDS), [])

    def test_no_import_circle(self):
        self.assertIsNone(circle(self.graph))

    def test_only_locations_looks_at_where_the_kit_lies(self):
        for name, path in sorted(self.modules.items()):
            if name == "authoring.locations":
                continue
            text = path.read_text(encoding="utf-8")
            with self.subTest(module=name):
                self.assertEqual([word for word in WHERE_WORDS if word in text], [])


class CircleFinder(unittest.TestCase):
    def test_table(self):
        for graph, expected in (({"a": {"b"}, "b": set()}, None),
                                ({"a": {"b"}, "b": {"a"}}, ["a", "b", "a"]),
                                ({"a": {"b"}, "b": {"c"}, "c": {"b"}}, ["b", "c", "b"])):
            with self.subTest(graph=graph):
                self.assertEqual(circle(graph), expected)


if __name__ == "__main__":
    unittest.main()
