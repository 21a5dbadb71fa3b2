"""vorlinde-inspect.exe under Wine, beside the program it inspects: it
reads only, shows the button's entries and names what is wrong."""
import os
import unittest

from scenario import WINE, BlackBoxTest, Scenario

INSPECT = os.environ["VORLINDE_INSPECT_EXE"]
BUTTON_ROW = b"      2  10 01 00 00   16     1  <- this button"


class Inspector(BlackBoxTest):
    CASES = [
        # name, install runs before, fixture, exit code, lines that must be printed
        ("nothing installed", 0, "", 1,
         [b"  PROBLEM: the extension key is missing: the button is not installed"]),
        ("after an install run", 1, "", 0,
         [b'  ButtonText       "Lindwurm B\xfccher"', BUTTON_ROW,
          b"All is well: the button is registered and stands in the layout."]),
        ("a layout of six bytes", 1,
         "\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\LowRegistry\\CommandBar]"
         '\n"ButtonLayout"=hex:07,00,00,00,01,01\n', 1,
         [b"  (left over: 01 01)",
          b"  PROBLEM: the layout's length (6 bytes) is not a multiple of 4: an install run "
          b"refuses it"]),
    ]

    def test_cases(self):
        for name, installs, fixture, exit_code, lines in self.CASES:
            with self.subTest(name):
                scenario = Scenario("inspect", fixture)
                inspect = WINE.windows_path(scenario.add_program(INSPECT, "vorlinde-inspect.exe"))
                for _ in range(installs):
                    self.assertEqual(scenario.run(), (0, b"", b""))
                before = scenario.snapshot()
                code, out, err = WINE.run(inspect)
                self.assertEqual((code, err), (exit_code, b""))
                printed = out.replace(b"\r\n", b"\n").split(b"\n")
                for line in lines:
                    self.assertIn(line, printed)
                self.assertEqual(scenario.snapshot(), before)


if __name__ == "__main__":
    unittest.main()
