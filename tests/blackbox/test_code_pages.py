"""The program on Windows of other languages. Wine takes its ANSI code page
from the Unix locale (wine.private_locale): German 1252, Russian 1251,
Japanese 932. Folder names and the caption that the code page cannot hold
come out whole all the same, and a command line means what was typed."""
import itertools
import os
import unittest

from button import OWN_KEY
from scenario import WINE, Scenario

LOCALES = {1252: "de_DE.UTF-8", 1251: "ru_RU.UTF-8", 932: "ja_JP.UTF-8"}
FULLWIDTH = "/" + "".join(chr(ord(c) + 0xFEE0) for c in "RemoveVirtualized")
CYRILLIC = "/\u0423\u0434\u0430\u043b\u0438\u0442\u044c"
# Typed characters that both code pages lack, some of which their best fit
# writes as quotes or ASCII letters: (folder, program, arguments, exit code,
# a line it prints). vorlinde.exe installs in each; the inspector runs
# beside an install.
TYPED = (("a\uff02 -SaveAllToFile \uff02b", "vorlinde.exe", (), 0, None),
         ("fullwidth-s", "vorlinde.exe", ("/\uff33aveAllToFile",), 0, None),
         ("dotted-i", "vorlinde.exe", ("/SaveAllToF\u0130le",), 0, None),
         ("\uff02Neuer Ordner\uff02", "vorlinde-inspect.exe", (), 0,
          "All is well: the button is registered and stands in the layout."),
         ("inspect", "vorlinde-inspect.exe", (FULLWIDTH,), 2, "Unknown argument: " + FULLWIDTH),
         ("inspect", "vorlinde-inspect.exe", (CYRILLIC,), 2, "Unknown argument: " + CYRILLIC))


def exported_text(scenario, key):
    """The key as `reg export` writes it, as text: names and paths in any script."""
    return WINE.export((key,), scenario.work)[0].decode("utf-16")


def text_value(name, text):
    """The line an export holds for the REG_SZ value `name` = `text`."""
    return '"%s"="%s"' % (name, text.replace("\\", "\\\\"))


class CodePages(unittest.TestCase):
    def run_in(self, code_page, scenario, *args):
        wine = WINE.in_locale(LOCALES[code_page])
        self.assertEqual(wine.run(WINE.windows_path(scenario.exe), *args), (0, b"", b""))

    def test_install_and_files_from_a_folder_the_code_page_cannot_name(self):
        knopka = "\u041a\u043d\u043e\u043f\u043a\u0430"
        for code_page, folder in ((1252, "\u0141ukasz"), (1252, knopka), (1251, knopka)):
            with self.subTest(code_page=code_page, folder=folder):
                scenario = Scenario(folder)
                self.run_in(code_page, scenario)
                self.run_in(code_page, scenario, "/SaveAllToFile")
                icon = scenario.windows_folder() + "\\shop.ico"
                exported = exported_text(scenario, OWN_KEY)
                self.assertIn(text_value("Icon", icon), exported)
                self.assertIn(text_value("HotIcon", icon), exported)
                with open(os.path.join(scenario.folder, "vorlinde_TextAndHint.txt"), "rb") as f:
                    self.assertEqual(f.read(), b"Lindwurm B\xfccher\r\n")
                self.assertTrue(os.path.isfile(os.path.join(scenario.folder,
                                                            "vorlinde_Button.url")))

    def test_the_caption_reads_alike_on_every_code_page(self):
        for code_page in (1251, 932):
            with self.subTest(code_page=code_page):
                scenario = Scenario("caption-%d" % code_page)
                self.run_in(code_page, scenario)
                self.assertIn(text_value("ButtonText", "Lindwurm B\u00fccher"),
                              exported_text(scenario, OWN_KEY))

    def test_a_typed_command_line_reads_alike_on_both_code_pages(self):
        for code_page, (folder, program, args, exit_code, line) in itertools.product(
                (1252, 1251), TYPED):
            with self.subTest(code_page=code_page, folder=folder, args=args):
                scenario = Scenario(folder)
                path = scenario.exe
                if line:
                    path = scenario.add_program(os.environ["VORLINDE_INSPECT_EXE"], program)
                    self.run_in(code_page, scenario)
                wine = WINE.in_locale(LOCALES[code_page])
                code, out, _ = wine.run(WINE.windows_path(path), *args)
                self.assertEqual((code, line.encode() in out.splitlines() if line else out),
                                 (exit_code, True if line else b""), out.decode(errors="replace"))
                self.assertIn(text_value("ButtonText", "Lindwurm B\u00fccher"),
                              exported_text(scenario, OWN_KEY))
                self.assertNotIn("vorlinde_Button.url", os.listdir(scenario.folder))


if __name__ == "__main__":
    unittest.main()
