"""vorlinde-inspect.exe under Wine, beside the program it inspects: it
reads only, shows the button's entries and names what is wrong, recognises
an install that Windows redirected to the user's VirtualStore, and removes
that copy only when asked, never following a registry link planted there."""
import os
import unittest

from button import CAPTION, CLSID, COMMAND_BAR, KEY_GUID, SEVEN_VALUES, URL
from scenario import BROWSER_KEYS, COMPONENT, WINE, BlackBoxTest, Scenario
import reg_export

INSPECT = os.environ["VORLINDE_INSPECT_EXE"]
AGENT = os.environ["VORLINDE_AGENT_EXE"]
BUTTON_ROW = b"      2  10 01 00 00   16     1  <- this button"

# Where Windows puts the extension key that vorlinde.exe writes without
# administrative rights (Wine does not virtualize: the tests build that state).
VIRTUAL_STORE = r"HKEY_CURRENT_USER\Software\Classes\VirtualStore"
# On 64-bit Windows the 32-bit program's write goes to WOW6432Node first.
STRAY_KEY = (VIRTUAL_STORE + "\\MACHINE\\SOFTWARE"
             + ("\\WOW6432Node" if WINE.windows64 else "")
             + "\\Microsoft\\Internet Explorer\\Extensions\\" + KEY_GUID)
# A 32-bit prefix has one registry view; in a 64-bit one the program's
# extension key stands in the 32-bit view only.
VIEWS = {
    "win32": [b"Windows:   32-bit", b"Registry views: one (32-bit Windows)"],
    "win64": [b"Windows:   64-bit (this 32-bit inspector, like vorlinde.exe, sees the 32-bit "
              b"registry view)",
              b"  32-bit view (WOW6432Node)  extension key present, command id 16",
              b"  64-bit view                no extension key"],
}["win64" if WINE.windows64 else "win32"]
# Links lead to paths in the system's form: the machine's keys as the 32-bit
# program sees them.
MACHINE_SOFTWARE = ("\\REGISTRY\\MACHINE\\SOFTWARE"
                    + ("\\Wow6432Node" if WINE.windows64 else ""))
MACHINE_KEY = MACHINE_SOFTWARE + "\\Microsoft\\Internet Explorer\\Extensions\\" + KEY_GUID
VICTIM = r"HKEY_LOCAL_MACHINE\SOFTWARE\Victim"
LAYOUT_WITH_BUTTON = ("\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\LowRegistry"
                      "\\CommandBar]\n\"ButtonLayout\"=hex:07,00,00,00,01,01,00,00,10,01,00,00,"
                      "03,01,00,00,04,01,00,00,05,01,00,00,06,01,00,00,07,01,00,00\n")


def redirected_copy(folder):
    """The seven values as a run without administrative rights leaves them
    in the VirtualStore, and the layout entry that run adds as usual."""
    texts = [b"", CAPTION, b"YES", URL, folder + b"\\shop.ico", folder + b"\\shop.ico",
             CLSID.encode()]
    lines = ["", "[%s]" % STRAY_KEY]
    for name, text in zip(SEVEN_VALUES, texts):
        quoted = text.decode("cp1252").replace("\\", "\\\\")
        lines.append('%s="%s"' % ('"%s"' % name if name else "@", quoted))
    return "\n".join(lines) + "\n" + LAYOUT_WITH_BUTTON


def plant_link(path, *target):
    """Makes the key `path` a link to `target`; without one, deletes a link
    standing there, so that the prefix's registry no longer leads through it."""
    WINE.check(os.environ["VORLINDE_REGISTRY_LINK_EXE"], path.split("\\", 1)[1], *target)


class Inspector(BlackBoxTest):
    # Redirected to a file, the report is UTF-8: the caption's "\xfc" arrives
    # as the two bytes of its UTF-8 form.
    CAPTION_LINE = b'  ButtonText       "Lindwurm B\xc3\xbccher"'
    CASES = [
        # name, install runs before, with a redirected copy, other fixture, arguments,
        # exit code, lines
        ("only a redirected copy", 0, True, "", (), 1,
         [b"Redirected copy " + STRAY_KEY.encode(),
          b"  PROBLEM: the extension key stands only in your VirtualStore: vorlinde.exe ran "
          b"without administrative rights, Windows redirected its write there, and the browser "
          b"will not show the button.",
          b"1 problem found."]),
        ("an install and a redirected copy", 1, True, "", (), 0,
         [CAPTION_LINE, BUTTON_ROW, b"Redirected copy " + STRAY_KEY.encode(),
          b"All is well: the button is registered and stands in the layout."]),
        ("after an install run", 1, False, "", (), 0,
         [CAPTION_LINE, BUTTON_ROW, *VIEWS,
          b"All is well: the button is registered and stands in the layout."]),
        ("the machine part alone", 1, False,
         "\n[-HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\LowRegistry]\n",
         ("-checkmachine",), 1,
         [CAPTION_LINE, b"  PROBLEM: the per-user agent is not registered with Active Setup: no "
          b"user gets the button in their layout at their next logon.", b"1 problem found."]),
        ("a layout of six bytes", 1, False,
         "\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\LowRegistry\\CommandBar]"
         '\n"ButtonLayout"=hex:07,00,00,00,01,01\n', (), 1,
         [b"  (left over: 01 01)",
          b"  PROBLEM: the layout's length (6 bytes) is not a multiple of 4, so an install run "
          b"refuses it."]),
        ("usage", 0, False, "", ("/?",), 0,
         [b"Usage: vorlinde-inspect.exe [switch]"]),
        ("an unknown switch", 1, True, "", ("/Remove", "/Frobnicate"), 2,
         [b"Unknown argument: /Frobnicate", b"Usage: vorlinde-inspect.exe [switch]"]),
    ]

    def prepare(self, installs, copy, fixture):
        for case in self.LINK_CASES:  # what a run that stopped half-way left
            plant_link(case[1])
        scenario = Scenario("inspect", fixture)
        inspect = WINE.windows_path(scenario.add_program(INSPECT, "vorlinde-inspect.exe"))
        for _ in range(installs):
            self.assertEqual(scenario.run(), (0, b"", b""))
        scenario.import_registry("REGEDIT4\n\n[-%s]\n[%s]\n" % (VIRTUAL_STORE, VIRTUAL_STORE)
                                 + (redirected_copy(scenario.windows_folder().encode("cp1252"))
                                    if copy else ""))
        return scenario, inspect

    def exports(self, scenario):
        """The browser's keys as vorlinde.exe sees them, and the VirtualStore
        (one for both views in Windows, but not in Wine: see the inspector's
        sources), as `reg export` writes them."""
        return (WINE.export(BROWSER_KEYS, scenario.work)
                + WINE.export((VIRTUAL_STORE,), scenario.work, bits=64))

    def inspect(self, inspect, *args):
        code, out, err = WINE.run(inspect, *args)
        self.assertEqual(err, b"")
        return code, out.replace(b"\r\n", b"\n").split(b"\n")

    def test_cases(self):
        for name, installs, copy, fixture, args, exit_code, lines in self.CASES:
            with self.subTest(name):
                scenario, inspect = self.prepare(installs, copy, fixture)
                before = self.exports(scenario)
                code, printed = self.inspect(inspect, *args)
                self.assertEqual(code, exit_code, b"\n".join(printed).decode("utf-8"))
                for line in lines:
                    self.assertIn(line, printed)
                self.assertEqual(self.exports(scenario), before)

    def test_the_clean_up_removes_exactly_the_redirected_copy(self):
        scenario, inspect = self.prepare(1, True, "")
        before = self.exports(scenario)
        code, printed = self.inspect(inspect, "/RemoveVirtualized")
        self.assertEqual(code, 0)
        self.assertIn(b"Removed " + STRAY_KEY.encode(), printed)
        after = self.exports(scenario)
        self.assertEqual(after[:-1], before[:-1])  # machine hive and layout, byte for byte
        removed = {("key removed", STRAY_KEY.lower())}
        removed |= {("value removed", STRAY_KEY.lower(), name) for name in SEVEN_VALUES}
        self.assertEqual(reg_export.changes(reg_export.parse(before[-1]),
                                            reg_export.parse(after[-1])), removed)

        code, printed = self.inspect(inspect, "-removevirtualized")
        self.assertEqual(code, 0)
        self.assertIn(b"Nothing to remove: the VirtualStore holds no copy of the extension key.",
                      printed)
        self.assertEqual(self.exports(scenario), after)

    # name, the link (below HKEY_CURRENT_USER), where it leads, with a real
    # copy, the line that lists it, the line of the clean-up
    LINK_CASES = [
        ("a link in the copy's place, to the machine's key", STRAY_KEY, MACHINE_KEY, False,
         "Registry link %s to %s: not a redirected copy; not followed" % (STRAY_KEY, MACHINE_KEY),
         "Removed the registry link %s to %s" % (STRAY_KEY, MACHINE_KEY)),
        ("a link below a real copy", STRAY_KEY + "\\Sub", MACHINE_SOFTWARE + "\\Victim", True,
         "Redirected copy " + STRAY_KEY, "Removed " + STRAY_KEY),
    ]

    def test_the_clean_up_never_follows_a_registry_link(self):
        for name, link, target, copy, listed, removed in self.LINK_CASES:
            with self.subTest(name):
                scenario, inspect = self.prepare(1, copy, '\n[%s\\Below]\n"Kept"="yes"\n' % VICTIM)
                scenario.import_registry("REGEDIT4\n\n[%s]\n" % link.rsplit("\\", 1)[0])
                plant_link(link, target)
                before = self.exports(scenario) + WINE.export((VICTIM,), scenario.work)
                _, printed = self.inspect(inspect)
                self.assertIn(listed.encode(), printed)
                code, printed = self.inspect(inspect, "/RemoveVirtualized")
                self.assertEqual(code, 0, printed)
                self.assertIn(removed.encode(), printed)
                after = self.exports(scenario) + WINE.export((VICTIM,), scenario.work)
                # The machine's key, the layout and the victim, byte for byte; no copy, no link.
                self.assertEqual(after[:2] + after[3:], before[:2] + before[3:])
                self.assertNotIn(STRAY_KEY.lower(), reg_export.parse(after[2]))


class ButtonLife(BlackBoxTest):
    """Install, removal and each other user's fix-up, with three buttons of the
    same class: two listed before ours (ids 16, 17) and one after (18, then
    19 once ours stands). Wine has one user; a second one is played by putting
    a copy of the layout back and forgetting what Active Setup and the fix-up
    noted for the first."""
    EXTENSIONS = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer\Extensions"
    OTHERS = ("{0A000000-0000-0000-0000-000000000001}", "{0B000000-0000-0000-0000-000000000002}",
              "{F0000000-0000-0000-0000-00000000000F}")
    ACTIVE_SETUP = r"Software\Microsoft\Active Setup\Installed Components"
    NOTES = "\n".join("[-HKEY_CURRENT_USER\\%s]" % k
                      for k in (r"Software\Vorlinde",
                                r"Software\Classes\Local Settings\Software\Vorlinde",
                                ACTIVE_SETUP + "\\" + COMPONENT))
    BEFORE = "07 00 00 00 10 01 00 00 11 01 00 00 12 01 00 00 01 01 00 00"
    # The install gives ours 18 and leaves the later button's entry as it was,
    # although that button now has 19; a user placing it anew has this:
    INSTALL_RUN = "07 00 00 00 10 01 00 00 12 01 00 00 11 01 00 00 12 01 00 00 01 01 00 00"
    INSTALLED = "07 00 00 00 10 01 00 00 12 01 00 00 11 01 00 00 13 01 00 00 01 01 00 00"
    REMOVED = "07 00 00 00 10 01 00 00 11 01 00 00 12 01 00 00 01 01 00 00"

    def setUp(self):
        keys = "".join('\n[%s\\%s]\n"clsid"="%s"\n"ButtonText"="b"\n"Icon"="i"\n'
                       % (self.EXTENSIONS, name, CLSID) for name in self.OTHERS)
        self.scenario = Scenario("life", keys)
        self.inspect = WINE.windows_path(self.scenario.add_program(INSPECT, "vorlinde-inspect.exe"))
        self.scenario.add_program(AGENT, "vorlinde-agent.exe")
        self.set_layout(self.BEFORE)

    def set_layout(self, entries):
        self.scenario.import_registry(
            "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer"
            "\\LowRegistry\\CommandBar]\n\"ButtonLayout\"=hex:%s\n" % entries.replace(" ", ","))

    def layout(self):
        value = self.scenario.snapshot().registry[COMMAND_BAR]["ButtonLayout"]
        return value[1].hex(" ").upper()

    def run_fix_up_as_active_setup_would(self):
        registry = reg_export.parse(WINE.export(
            (r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Active Setup\Installed Components"
             "\\" + COMPONENT,), self.scenario.work)[0])
        stub = next(iter(registry.values()))["StubPath"][1].rstrip(b"\0").decode()
        self.assertEqual(WINE.run(stub.strip('"')), (0, b"", b""))

    def remove(self, exit_code=0):
        code, out, err = WINE.run(self.inspect, "/Remove")
        self.assertEqual((code, err), (exit_code, b""), out.decode("utf-8"))
        return out

    def test_install_removal_and_each_users_fix_up(self):
        self.assertEqual(self.scenario.run(), (0, b"", b""))
        self.assertEqual(self.layout(), self.INSTALL_RUN)
        self.set_layout(self.INSTALLED)
        self.assertIn(b"Removed HKEY_LOCAL_MACHINE", self.remove())
        self.assertEqual(self.layout(), self.REMOVED)
        self.assertNotIn(KEY_GUID.lower(), str(self.scenario.snapshot().registry))

        removed = self.scenario.snapshot()
        self.remove()  # a second removal changes nothing
        self.run_fix_up_as_active_setup_would()  # nor does the fix-up for the same user
        self.assertEqual(self.scenario.snapshot(), removed)

        self.set_layout(self.INSTALLED)  # a second user, at their next logon
        self.scenario.import_registry("REGEDIT4\n\n" + self.NOTES + "\n")
        self.run_fix_up_as_active_setup_would()
        self.assertEqual(self.layout(), self.REMOVED)

        self.set_layout(self.INSTALLED)  # a third, after the button came back
        self.scenario.import_registry("REGEDIT4\n\n" + self.NOTES + "\n")
        self.assertEqual(self.scenario.run(), (0, b"", b""))
        reinstalled = self.layout()
        self.run_fix_up_as_active_setup_would()
        self.assertEqual(self.layout(), reinstalled)


class ButtonLifeBeyondTheCodePage(ButtonLife):
    """The same with the second button's key named "{0\u0416...}", a letter no
    Western code page holds: it is counted, and stays, all the same."""
    OTHERS = ("{0A000000-0000-0000-0000-000000000001}",
              "{0\u0416000000-0000-0000-0000-000000000002}",
              "{F0000000-0000-0000-0000-00000000000F}")


if __name__ == "__main__":
    unittest.main()
