"""The ZIP a user unpacks, made by CPack from the build tree."""
import os
import subprocess
import unittest
import zipfile

import icon_file

BUILD = os.environ["VORLINDE_BUILD_DIR"]
OUTPUT = os.path.join(BUILD, "blackbox-package")


def make_package():
    subprocess.run([os.environ["VORLINDE_CPACK"], "--config",
                    os.path.join(BUILD, "CPackConfig.cmake"), "-B", OUTPUT],
                   check=True, stdout=subprocess.DEVNULL)
    names = [n for n in os.listdir(OUTPUT) if n.endswith(".zip")]
    if len(names) != 1:
        raise AssertionError("expected one ZIP, found %s" % names)
    return names[0], zipfile.ZipFile(os.path.join(OUTPUT, names[0]))


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.name, cls.zip = make_package()

    def test_is_named_after_the_version_and_platform(self):
        self.assertRegex(self.name, r"^vorlinde-\d+\.\d+\.\d+-win32\.zip$")

    def test_holds_exactly_the_program_its_icon_and_the_readme(self):
        self.assertEqual(sorted(self.zip.namelist()), ["README.txt", "shop.ico", "vorlinde.exe"])

    def test_the_program_is_the_one_built(self):
        with open(os.environ["VORLINDE_EXE"], "rb") as f:
            self.assertEqual(self.zip.read("vorlinde.exe"), f.read())

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


if __name__ == "__main__":
    unittest.main()
