"""The ZIP a user unpacks, made by CPack from the build tree, and the
SHA256SUMS beside it; signed when a certificate is given."""
import hashlib
import os
import subprocess
import tempfile
import unittest
import zipfile

import icon_file
import pe_file

BUILD = os.environ["VORLINDE_BUILD_DIR"]
PROGRAMS = {"vorlinde.exe": "VORLINDE_EXE", "vorlinde-inspect.exe": "VORLINDE_INSPECT_EXE",
            "vorlinde-fixup.exe": "VORLINDE_FIXUP_EXE"}
SIGNING = ("VORLINDE_SIGN_CERT", "VORLINDE_SIGN_KEY", "VORLINDE_SIGN_TIMESTAMP_URL")


def make_package(output, signing=None):
    """Packages into `output`, signed with the {variable: value} given;
    the ZIP's name and the open ZIP."""
    env = {k: v for k, v in os.environ.items() if k not in SIGNING}
    env.update(signing or {})
    subprocess.run([os.environ["VORLINDE_CPACK"], "--config",
                    os.path.join(BUILD, "CPackConfig.cmake"), "-B", output],
                   check=True, stdout=subprocess.DEVNULL, env=env)
    names = [n for n in os.listdir(output) if n.endswith(".zip")]
    if len(names) != 1:
        raise AssertionError("expected one ZIP, found %s" % names)
    return names[0], zipfile.ZipFile(os.path.join(output, names[0]))


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.output = os.path.join(BUILD, "blackbox-package")
        cls.name, cls.zip = make_package(cls.output)

    def test_is_named_after_the_version_and_platform(self):
        self.assertRegex(self.name, r"^vorlinde-\d+\.\d+\.\d+-win32\.zip$")

    def test_holds_exactly_the_programs_the_icon_and_the_readme_in_name_order(self):
        self.assertEqual(self.zip.namelist(),
                         ["README.txt", "shop.ico", "vorlinde-fixup.exe", "vorlinde-inspect.exe",
                          "vorlinde.exe"])

    def test_the_programs_are_the_ones_built_unsigned(self):
        for name, variable in PROGRAMS.items():
            with self.subTest(name), open(os.environ[variable], "rb") as f:
                self.assertEqual(self.zip.read(name), f.read())

    def test_sha256sums_names_the_zip_and_its_hash(self):
        with open(os.path.join(self.output, self.name), "rb") as f:
            digest = hashlib.sha256(f.read()).hexdigest()
        with open(os.path.join(self.output, "SHA256SUMS"), "rb") as f:
            self.assertEqual(f.read(), ("%s  %s\n" % (digest, self.name)).encode())

    def test_shop_icon_holds_the_toolbar_sizes(self):
        images = icon_file.parse_icon_file(self.zip.read("shop.ico"))
        sizes = [(i.width, i.height) for i in images]
        for size in (16, 20, 24, 32):
            with self.subTest(size=size):
                self.assertIn((size, size), sizes)

    def test_readme_is_plain_text_with_windows_line_ends(self):
        text = self.zip.read("README.txt")
        text.decode("ascii")
        self.assertNotIn(b"@", text)  # every placeholder was filled in
        self.assertEqual(text.count(b"\n"), text.count(b"\r\n"))
        for word in (b"/SaveAllToFile", b"/SaveUrlToFile", b"/OpenUrl", b"ButtonLayout",
                     b"{8A918C1D-E123-4E36-B562-5C1519E434CE}", b"administrator"):
            with self.subTest(word=word):
                self.assertIn(word, text)


def first_code_byte(data):
    """The offset of a byte the signature covers: the first section's."""
    return pe_file.PeFile(data).sections[0].raw_offset


class SignedPackage(unittest.TestCase):
    """Signed with a throwaway self-signed certificate, which then serves as
    the only trusted root."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.cert = os.path.join(cls.folder.name, "cert.pem")
        key = os.path.join(cls.folder.name, "key.pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=Vorlinde test publisher", "-keyout", key, "-out", cls.cert,
                        "-addext", "extendedKeyUsage=codeSigning"],
                       check=True, capture_output=True)
        _, cls.zip = make_package(os.path.join(cls.folder.name, "out"),
                                  {"VORLINDE_SIGN_CERT": cls.cert, "VORLINDE_SIGN_KEY": key})

    @classmethod
    def tearDownClass(cls):
        cls.zip.close()
        cls.folder.cleanup()

    def verify(self, name, data):
        """osslsigncode's exit code and output for the program's bytes."""
        path = os.path.join(self.folder.name, name)
        with open(path, "wb") as f:
            f.write(data)
        result = subprocess.run(["osslsigncode", "verify", "-CAfile", self.cert,
                                 "-TSA-CAfile", self.cert, "-in", path],
                                capture_output=True, text=True)
        return result.returncode, result.stdout + result.stderr

    def test_both_programs_carry_a_valid_sha256_signature(self):
        for name in PROGRAMS:
            with self.subTest(name):
                code, output = self.verify(name, self.zip.read(name))
                self.assertEqual(code, 0, output)
                self.assertIn("Message digest algorithm  : SHA256", output)

    def test_a_program_changed_after_signing_fails_verification(self):
        for name in PROGRAMS:
            with self.subTest(name):
                data = bytearray(self.zip.read(name))
                data[first_code_byte(data)] ^= 0xFF
                code, output = self.verify(name, bytes(data))
                self.assertNotEqual(code, 0, output)


if __name__ == "__main__":
    unittest.main()
