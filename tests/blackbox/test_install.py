"""The install mode of the real vorlinde.exe under Wine: the extension key and
the button's entry in the command bar layout."""
import os
import unittest

from button import (CAPTION, CLSID, COMMAND_BAR, COMPANION_GUID, EXTENSIONS, LOW_REGISTRY,
                    OWN_KEY, SEVEN_VALUES, URL, default_layout_with, layout)
from reg_export import REG_BINARY, REG_SZ
from scenario import WINE, BlackBoxTest, Scenario

SEVEN_VALUES_SET = {("value set", OWN_KEY, name) for name in SEVEN_VALUES}
LAYOUT_SET = {("value set", COMMAND_BAR, "ButtonLayout")}
NEW_LAYOUT_KEYS = {("key added", LOW_REGISTRY), ("key added", COMMAND_BAR)}
INSTALL_CHANGES = ({("key added", EXTENSIONS), ("key added", OWN_KEY)}
                   | SEVEN_VALUES_SET | NEW_LAYOUT_KEYS | LAYOUT_SET)


def install_changes(outcome):
    """What an install run changes, less the keys that were there before."""
    return {c for c in INSTALL_CHANGES
            if not (c[0] == "key added" and c[1] in outcome.before.registry)}


def extension(guid, **values):
    """A REGEDIT4 block for an extension key; values are REGEDIT4 data."""
    lines = ["[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Internet Explorer\\Extensions\\%s]" % guid]
    lines += ['"%s"=%s' % (name, data) for name, data in values.items()]
    return "\n" + "\n".join(lines) + "\n"


def button(guid, clsid='"%s"' % CLSID):
    """An extension key that describes a toolbar button of the program's class."""
    return extension(guid, ButtonText='"Other"', Icon=r'"C:\\other.ico"', clsid=clsid)


def command_bar(data):
    return ("\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\LowRegistry\\"
            "CommandBar]\n\"ButtonLayout\"=%s\n" % data)


def hex_data(entry, count):
    return "hex:" + ",".join([entry] * count)


def folder_for_path_length(length):
    """A scenario name that makes the program's full Windows path `length`
    characters long."""
    parent = WINE.windows_path(os.path.join(WINE.drive_c, "bb")) + "\\"
    return "long-" + "d" * (length - len(parent + "long-" + "\\vorlinde.exe"))


class ExtensionKey(BlackBoxTest):
    def test_fresh_machine_gets_the_key_and_the_default_layout(self):
        scenario = Scenario("install-fresh")
        outcome = self.run_silently(scenario)
        self.assertChanges(outcome, registry=INSTALL_CHANGES)
        icon = scenario.windows_folder().encode("cp1252") + b"\\shop.ico\0"
        expected = {
            "": b"\0",
            "ButtonText": CAPTION + b"\0",
            "Default Visible": b"YES\0",
            "Exec": URL + b"\0",
            "Icon": icon,
            "HotIcon": icon,
            "clsid": CLSID.encode() + b"\0",
        }
        for name, data in expected.items():
            with self.subTest(value=name):
                self.assertEqual(outcome.value(OWN_KEY, name), (REG_SZ, data))
        self.assertEqual(outcome.value(COMMAND_BAR, "ButtonLayout"), (REG_BINARY, layout(
            "07 00 00 00 01 01 00 00 10 01 00 00 03 01 00 00 "
            "04 01 00 00 05 01 00 00 06 01 00 00 07 01 00 00")))

    def test_paths_of_260_characters_at_most(self):
        """From a longer full path the icon paths cannot be taken whole: the
        run then writes nothing at all, not a key without its icons."""
        for length, changes in ((260, INSTALL_CHANGES), (261, set())):
            with self.subTest(length=length):
                scenario = Scenario(folder_for_path_length(length))
                self.assertEqual(len(WINE.windows_path(scenario.exe)), length)
                # Wine 10 in WoW64 mode and some Wine 8 builds start no program
                # by such a path: start.exe answers "File not found".
                if not WINE.starts_a_program_in(scenario.folder):
                    self.skipTest("this Wine starts no program by a path of %d characters" % length)
                self.assertChanges(self.run_silently(scenario), registry=changes)

    def test_other_values_of_an_existing_key_stay(self):
        scenario = Scenario("install-existing-key", extension(
            "{8A918C1D-E123-4E36-B562-5C1519E434CE}", MenuText='"keep me"', Exec="dword:00000001"))
        outcome = self.run_silently(scenario)
        self.assertChanges(outcome, registry=SEVEN_VALUES_SET | NEW_LAYOUT_KEYS | LAYOUT_SET)
        self.assertEqual(outcome.value(OWN_KEY, "MenuText"), (REG_SZ, b"keep me\0"))
        self.assertEqual(outcome.value(OWN_KEY, "Exec"), (REG_SZ, URL + b"\0"))


class RegistryViews(BlackBoxTest):
    """Under WOW64 the machine-wide browser key is not shared between the
    registry views: the 32-bit program's extension key stands in the 32-bit
    view only. The user's layout is one value that both views show."""

    @unittest.skipUnless(WINE.windows64, "a 32-bit system has one registry view")
    def test_the_extension_key_is_in_the_32_bit_view_the_layout_in_both(self):
        scenario = Scenario("install-views")
        outcome = self.run_silently(scenario)
        native = scenario.snapshot(bits=64).registry
        self.assertIn(OWN_KEY, outcome.after.registry)
        self.assertNotIn(EXTENSIONS, native)
        self.assertEqual(native[COMMAND_BAR], outcome.after.registry[COMMAND_BAR])


class LayoutPlacement(BlackBoxTest):
    CASES = [
        # name, fixture, runs, ButtonLayout afterwards
        ("companion installed", extension(COMPANION_GUID), 1,
         "07 00 00 00 01 01 00 00 03 01 00 00 10 01 00 00 "
         "04 01 00 00 05 01 00 00 06 01 00 00 07 01 00 00"),
        ("companion is a button of the same class", button(COMPANION_GUID), 1,
         "07 00 00 00 01 01 00 00 03 01 00 00 11 01 00 00 "
         "04 01 00 00 05 01 00 00 06 01 00 00 07 01 00 00"),
        ("two runs", "", 2,
         "07 00 00 00 01 01 00 00 10 01 00 00 10 01 00 00 03 01 00 00 "
         "04 01 00 00 05 01 00 00 06 01 00 00 07 01 00 00"),
        ("the user's own layout", command_bar("hex:2a,01,00,00,2b,01,00,00"), 1,
         "2a 01 00 00 10 01 00 00 2b 01 00 00"),
        ("an empty layout", command_bar("hex:"), 1,
         "07 00 00 00 01 01 00 00 10 01 00 00 03 01 00 00 "
         "04 01 00 00 05 01 00 00 06 01 00 00 07 01 00 00"),
        ("an untyped layout", command_bar("hex(0):2a,01,00,00"), 1,
         "10 01 00 00 2a 01 00 00"),
        ("a layout of 2048 bytes", command_bar(hex_data("05", 2048)), 1,
         "05 " * 8 + "10 01 00 00 " + "05 " * 2040),
    ]

    def test_cases(self):
        for name, fixture, runs, expected in self.CASES:
            with self.subTest(name):
                outcome = self.run_silently(Scenario("placement", fixture), runs=runs)
                self.assertEqual(outcome.value(COMMAND_BAR, "ButtonLayout"),
                                 (REG_BINARY, layout(expected)))
                self.assertChanges(outcome, registry=install_changes(outcome))


class PrecedingButtons(BlackBoxTest):
    """Buttons of the same class listed before the program's own key raise
    its command id; everything else leaves it at 16. Wine lists subkeys in
    name order, so {1...} to {7...} come before the own key {8A91...}."""
    BEFORE, SECOND, AFTER = ("{10000000-0000-0000-0000-000000000001}",
                             "{20000000-0000-0000-0000-000000000002}",
                             "{90000000-0000-0000-0000-000000000009}")
    CASES = [
        # name, fixture, command id
        ("a button of the same class", button(BEFORE), 0x11),
        ("two buttons of the same class", button(BEFORE) + button(SECOND), 0x12),
        ("class id in small letters", button(BEFORE, clsid='"%s"' % CLSID.lower()), 0x11),
        ("class id stored as REG_EXPAND_SZ",
         button(BEFORE, clsid="hex(2):" + ",".join("%02x" % b for b in CLSID.encode() + b"\0")),
         0x11),
        ("class id followed by a blank", button(BEFORE, clsid='"%s "' % CLSID), 0x10),
        ("another class", button(BEFORE, clsid='"{E0DD6CAB-2D10-11D2-8F1A-0000F87ABD16}"'),
         0x10),
        ("no class id", extension(BEFORE, ButtonText='"Other"', Icon='"x.ico"'), 0x10),
        ("no ButtonText", extension(BEFORE, Icon='"x.ico"', clsid='"%s"' % CLSID), 0x10),
        ("HotIcon but no Icon",
         extension(BEFORE, ButtonText='"Other"', HotIcon='"x.ico"', clsid='"%s"' % CLSID), 0x10),
        ("a key without values", extension(BEFORE), 0x10),
        ("a button of the same class after the own key", button(AFTER), 0x10),
    ]

    def test_cases(self):
        for name, fixture, command_id in self.CASES:
            with self.subTest(name):
                outcome = self.run_silently(Scenario("preceding", fixture))
                self.assertEqual(outcome.value(COMMAND_BAR, "ButtonLayout"),
                                 (REG_BINARY, default_layout_with(command_id, 2)))
                self.assertChanges(outcome, registry={("key added", OWN_KEY)}
                                   | SEVEN_VALUES_SET | NEW_LAYOUT_KEYS | LAYOUT_SET)

    def test_a_class_id_of_the_wrong_type_stops_the_placement(self):
        outcome = self.run_silently(Scenario("preceding-dword", extension(
            self.BEFORE, ButtonText='"Other"', Icon='"x.ico"', clsid="dword:00000001")))
        self.assertChanges(outcome, registry={("key added", OWN_KEY)} | SEVEN_VALUES_SET)


class RefusedLayouts(BlackBoxTest):
    """A layout the program will not read stays byte for byte as it was, and
    the extension key is written all the same."""
    CASES = [
        ("a text", '"07000000"'),
        ("a number", "dword:00000010"),
        ("six bytes", "hex:07,00,00,00,01,01"),
        ("2052 bytes", hex_data("05", 2052)),
    ]

    def test_cases(self):
        for name, data in self.CASES:
            with self.subTest(name):
                outcome = self.run_silently(Scenario("refused-layout", command_bar(data)))
                self.assertChanges(outcome, registry={("key added", EXTENSIONS),
                                                      ("key added", OWN_KEY)} | SEVEN_VALUES_SET)
                self.assertEqual(outcome.value(COMMAND_BAR, "ButtonLayout"),
                                 outcome.before.registry[COMMAND_BAR]["ButtonLayout"])


if __name__ == "__main__":
    unittest.main()
