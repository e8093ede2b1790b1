"""The demo disc's SETUP.EXE, built by the kit from discs/demo/disc.toml,
carries exactly the resource set committed under launcher/resources/, and so
is the shipped SETUP.EXE byte for byte.

    KIT_SHIPPED_SETUP=<build>/SETUP.EXE KIT_DEMO_SETUP=<build>/discs/demo/SETUP.EXE
"""
import os
import unittest

from authoring.pe_resources import read_resources


class ShippedResourceSet(unittest.TestCase):
    def setUp(self):
        self.shipped_path = os.environ["KIT_SHIPPED_SETUP"]
        self.demo_path = os.environ["KIT_DEMO_SETUP"]

    def test_resource_by_resource(self):
        shipped = read_resources(self.shipped_path)
        demo = read_resources(self.demo_path)
        self.assertEqual(sorted(map(str, demo)), sorted(map(str, shipped)))
        for key, data in shipped.items():
            with self.subTest(resource=key):
                self.assertEqual(demo[key], data)
        types = {t for t, _, _ in shipped}
        self.assertTrue({"LANG", "BUTTON", "INST", "PALETTE", 2, 5, 6, 16, 24}.issubset(types), types)

    def test_the_programs_are_the_same(self):
        with open(self.shipped_path, "rb") as a, open(self.demo_path, "rb") as b:
            self.assertEqual(a.read(), b.read())


if __name__ == "__main__":
    unittest.main()
