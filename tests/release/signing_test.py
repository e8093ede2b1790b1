"""Signing with osslsigncode: what a good setting gives, and the clear
refusal of each bad one, the programs left as they were."""
import os
import pathlib
import shutil
import tempfile
import unittest
from unittest import mock

from authoring.signing import (SigningError, SigningSettings, is_signed, sign_programs,
                               strip_signature, verify_program)
from throwaway_certificate import make_certificate

PASSWORD_ENV = "RELEASE_TEST_SIGNING_PASSWORD"
PASSWORD = "correct horse"


class Signing(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.temp = tempfile.TemporaryDirectory()
        cls.root = pathlib.Path(cls.temp.name)
        cls.certificate = make_certificate(cls.root / "cert", PASSWORD)
        cls.other = make_certificate(cls.root / "other", PASSWORD, "/CN=Someone Else")
        cls.program = pathlib.Path(os.environ["RELEASE_TEST_PROGRAM"])

    @classmethod
    def tearDownClass(cls):
        cls.temp.cleanup()

    def setUp(self):
        self.folder = pathlib.Path(tempfile.mkdtemp(dir=self.root))
        self.copies = []
        for name in ["SETUP.EXE", "Tarrywin.exe"]:
            shutil.copyfile(self.program, self.folder / name)
            self.copies.append(self.folder / name)
        self.original = self.program.read_bytes()
        patcher = mock.patch.dict(os.environ, {PASSWORD_ENV: PASSWORD})
        patcher.start()
        self.addCleanup(patcher.stop)

    def settings(self, **changes):
        fields = {"certificate": self.certificate["p12"], "password_env": PASSWORD_ENV}
        fields.update(changes)
        return SigningSettings(**fields)

    def assert_untouched(self):
        for copy in self.copies:
            self.assertEqual(copy.read_bytes(), self.original, copy)
        self.assertEqual(sorted(p.name for p in self.folder.iterdir()),
                         ["SETUP.EXE", "Tarrywin.exe"], "nothing left beside the programs")

    def test_signed_programs_verify_against_their_certificate_only(self):
        sign_programs(self.copies, self.settings(), signing_time=1700000000)
        for copy in self.copies:
            with self.subTest(program=copy.name):
                self.assertNotEqual(copy.read_bytes(), self.original)
                report = verify_program(copy, self.certificate["cert"])
                self.assertIn("Throwaway Test Publisher", report)
                self.assertIn("Signature verification: ok", report)
                with self.assertRaises(SigningError):
                    verify_program(copy, self.other["cert"])

    def test_same_time_same_bytes_and_resigning_replaces_the_signature(self):
        first = self.copies[0]
        sign_programs([first], self.settings(), signing_time=1700000000)
        once = first.read_bytes()
        sign_programs([self.copies[1]], self.settings(), signing_time=1700000000)
        self.assertEqual(self.copies[1].read_bytes(), once)
        sign_programs([first], self.settings(), signing_time=1700000000)
        self.assertEqual(first.read_bytes(), once)
        sign_programs([first], self.settings(), signing_time=1700000999)
        self.assertNotEqual(first.read_bytes(), once)
        self.assertEqual(len(first.read_bytes()), len(once))

    def test_bad_settings_are_refused_before_any_program_changes(self):
        cases = [
            ("password variable unset", {"password_env": "RELEASE_TEST_NOT_SET"},
             "RELEASE_TEST_NOT_SET, which is not set"),
            ("no password variable named", {"password_env": ""},
             "no environment variable named"),
            ("certificate missing", {"certificate": self.root / "absent.p12"},
             "absent.p12 does not exist"),
            ("wrong password", {"password_env": "RELEASE_TEST_WRONG"},
             "could not sign .*SETUP.EXE(.|\n)*PKCS#12"),
            ("not a certificate", {"certificate": self.certificate["cert"]},
             "could not sign"),
        ]
        with mock.patch.dict(os.environ, {"RELEASE_TEST_WRONG": "wrong"}):
            os.environ.pop("RELEASE_TEST_NOT_SET", None)
            for name, changes, message in cases:
                with self.subTest(name), self.assertRaisesRegex(SigningError, message):
                    sign_programs(self.copies, self.settings(**changes), signing_time=0)
                self.assert_untouched()

    def test_malformed_source_date_epoch_is_a_signing_error(self):
        with mock.patch.dict(os.environ, {"SOURCE_DATE_EPOCH": "soon"}), \
                self.assertRaisesRegex(SigningError, "SOURCE_DATE_EPOCH"):
            sign_programs(self.copies, self.settings())
        self.assert_untouched()

    def test_missing_program_is_refused_before_any_program_changes(self):
        with self.assertRaisesRegex(SigningError, "absent.exe does not exist"):
            sign_programs(self.copies + [self.folder / "absent.exe"], self.settings())
        self.assert_untouched()

    def test_a_program_that_is_no_program_is_refused(self):
        not_a_program = b"MZ but nothing more"
        self.copies[0].write_bytes(not_a_program)
        with self.assertRaisesRegex(SigningError, "could not sign"):
            sign_programs([self.copies[0]], self.settings())
        self.assertEqual(self.copies[0].read_bytes(), not_a_program)

    def test_removing_the_signature_gives_back_the_program(self):
        sign_programs([self.copies[0]], self.settings(), signing_time=1700000000)
        unsigned = self.folder / "unsigned.exe"
        unsigned.write_bytes(b"an earlier file in the way")
        strip_signature(self.copies[0], unsigned)
        self.assertEqual(unsigned.read_bytes(), self.original)

    def test_is_signed(self):
        sign_programs([self.copies[0]], self.settings(), signing_time=1700000000)
        (self.folder / "short.exe").write_bytes(b"MZ")
        (self.folder / "text.txt").write_bytes(b"not a program at all" * 10)
        for name, expected in [("SETUP.EXE", True), ("Tarrywin.exe", False),
                               ("short.exe", False), ("text.txt", False)]:
            with self.subTest(name):
                self.assertEqual(is_signed(self.folder / name), expected)

    def test_unsigned_and_missing_programs_do_not_verify(self):
        for path, message in [(self.copies[0], "could not verify"),
                              (self.folder / "absent.exe", "does not exist")]:
            with self.subTest(path=path.name), self.assertRaisesRegex(SigningError, message):
                verify_program(path, self.certificate["cert"])


if __name__ == "__main__":
    unittest.main()
