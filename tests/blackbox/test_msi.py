"""The Windows Installer package's whole life under Wine, driven as a
deployment tool drives it (msiexec /qn with a log). Wine runs no Active
Setup, so log_on() does what Windows does at a logon. No run of the package
touches a layout; Wine has no SYSTEM account, so the uninstall's removal
fixes this user's layout at once (see set_layout). Wine removes the old
version in an upgrade by a separate msiexec, which no failure of the new one
can roll back: that the old version comes back is shown by the tables
(test_package.py), not here."""
import os
import shutil
import subprocess
import sys
import unittest
import zipfile

import reg_export
from button import (CLSID, COMMAND_BAR, DEFAULT_ENTRIES, EXTENSIONS, KEY_GUID, OWN_KEY,
                    default_layout_with, layout)
from reg_export import REG_DWORD
from scenario import BROWSER_KEYS, COMPONENT, MACHINE_IDENTITY, WINE, Scenario
from test_button_life import NOTE
from test_package import make_package, table

SETUP = r"\SOFTWARE\Microsoft\Active Setup\Installed Components"
MACHINE_SETUP, USER_SETUP = "HKEY_LOCAL_MACHINE" + SETUP, "HKEY_CURRENT_USER" + SETUP
OWN_SETUP, FIX_UP = MACHINE_SETUP + "\\" + COMPONENT, MACHINE_SETUP + r"\Vorlinde.LayoutFixUp"
UNINSTALL = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
# A 32-bit package: on a 64-bit system its files go to the 32-bit folder.
PROGRAMS = os.path.join(WINE.drive_c, "Program Files (x86)" if WINE.windows64
                        else "Program Files")
FOLDER = os.path.join(PROGRAMS, "Vorlinde")
# No trace of an earlier run: the user's Active Setup notes and Vorlinde's own,
# the install's and the removal's records, the machine's highest stamp; the
# machine's identity as the scenarios know it.
FRESH = "".join("\n[-%s]" % key for key in (
    USER_SETUP, OWN_SETUP, FIX_UP, r"HKEY_LOCAL_MACHINE\SOFTWARE\Vorlinde",
    r"HKEY_LOCAL_MACHINE\SOFTWARE\Vorlinde.Machine", r"HKEY_CURRENT_USER\Software\Vorlinde",
    r"HKEY_CURRENT_USER\Software\Classes\Local Settings\Software\Vorlinde"))
FRESH += "\n[%s]\n" % USER_SETUP
FRESH += '\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorlinde.Machine]\n"Identity"="%s"\n' % MACHINE_IDENTITY
ONE_ENTRY = default_layout_with(0x10, 2)
DEFAULT_LAYOUT = bytes.fromhex(" ".join(DEFAULT_ENTRIES))
COMMON_AGENT = os.path.join(PROGRAMS, "Common Files", "Vorlinde", "vorlinde-agent.exe")
# Another vendor's button whose clsid is no text: the install stops at listing the buttons.
MACHINE_EXTENSIONS = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer\Extensions"
BROKEN_BUTTON = "REGEDIT4\n\n[%s\\{00000000-0000-0000-0000-000000000001}]\n\"clsid\"=dword:1\n" \
    % MACHINE_EXTENSIONS


def text(value):
    return value[1][:-1].decode("cp1252") if value else ""


def read(path):
    with open(path, "rb") as f:
        return f.read()


class PackageLife(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        """The package, and one of the next version made of the same files."""
        output = os.path.join(os.environ["VORLINDE_BUILD_DIR"], "blackbox-msi-" + WINE.arch)
        shutil.rmtree(output, ignore_errors=True)
        cls.zip = os.path.join(output, make_package(output)[0])
        msi, source = cls.zip.replace("-win32.zip", ".msi"), os.environ["VORLINDE_SOURCE_DIR"]
        major, minor, patch = table(msi, "Property")["ProductVersion"][0].split(".")
        newer = "%s.%s.%d" % (major, minor, int(patch) + 1)
        subprocess.run([sys.executable, os.path.join(source, "cmake", "build_msi.py"), cls.zip,
                        output, source, os.environ["VORLINDE_APP_ICON"],
                        os.environ["VORLINDE_PACKAGE_ACTIONS"], newer], check=True)
        cls.packages = [(path, table(path, "Property")["ProductCode"][0])
                        for path in (msi, os.path.join(output, "vorlinde-%s.msi" % newer))]

    def setUp(self):
        self.scenario, self.logs = Scenario("msi", FRESH), 0
        for _, code in self.packages:  # what an earlier run left
            if (UNINSTALL + "\\" + code).lower() in self.state():
                self.msiexec("/x", code)
        self.scenario.import_registry("REGEDIT4\n" + FRESH)
        self.msi = [shutil.copy(path, self.scenario.work) for path, _ in self.packages]

    def state(self):
        registry = {}
        for export in WINE.export(BROWSER_KEYS + (MACHINE_SETUP, USER_SETUP, UNINSTALL),
                                  self.scenario.work):
            registry.update(reg_export.parse(export))
        return registry

    def msiexec(self, *args):
        """Its whole exit code: Linux gets only the low byte from Wine."""
        batch = os.path.join(self.scenario.work, "msiexec.bat")
        with open(batch, "wb") as f:
            f.write(b"@msiexec %*\r\n@echo %ERRORLEVEL%\r\n")
        self.logs += 1
        self.log = os.path.join(self.scenario.work, "msiexec%d.log" % self.logs)
        _, out, _ = WINE.run("cmd", "/c", WINE.windows_path(batch), *args, "/qn", "/l*v",
                             WINE.windows_path(self.log))
        return int(out.split()[-1])

    def said(self):
        """What the package's own actions wrote to the last run's log."""
        with open(self.log, "rb") as f:
            return [line[len("Vorlinde: "):].strip() for line in
                    f.read().decode("cp1252", errors="replace").splitlines()
                    if line.startswith("Vorlinde: ")]

    def files(self, folder=FOLDER):
        return {n: read(os.path.join(folder, n)) for n in os.listdir(folder)}

    def layout(self):
        return self.state().get(COMMAND_BAR, {}).get("ButtonLayout", (0, None))[1]

    def set_layout(self, value):
        """Sets this user's layout back to their own: the installer's runs
        changed it only because Wine made this user the installing account."""
        self.scenario.import_registry("REGEDIT4\n\n[-%s]\n" % COMMAND_BAR + (
            "[%s]\n\"ButtonLayout\"=hex:%s\n" % (COMMAND_BAR, value.hex(",")) if value else ""))

    def log_on(self):
        """Active Setup at a logon: each component whose Version is above the
        user's note of it runs its command once, as the user."""
        state = self.state()
        for component in (OWN_SETUP, FIX_UP):
            values = state.get(component.lower(), {})
            user = USER_SETUP + component[len(MACHINE_SETUP):]
            versions = [tuple(int(n) for n in text(v.get("Version")).split(",") if n)
                        for v in (values, state.get(user.lower(), {}))]
            if "StubPath" in values and versions[0] > versions[1]:
                batch = os.path.join(self.scenario.work, "stub.bat")
                with open(batch, "wb") as f:
                    f.write(("@%s\r\n" % text(values["StubPath"])).encode("cp1252"))
                WINE.check("cmd", "/c", WINE.windows_path(batch))
                WINE.reg("add", user, "/v", "Version", "/d", text(values["Version"]), "/f")
        return self.layout()

    def assertInstalled(self, index, place=FOLDER):
        (path, code), state = self.packages[index], self.state()
        folder = WINE.windows_path(place)
        with zipfile.ZipFile(self.zip) as z:
            self.assertEqual(self.files(place), {n: z.read(n) for n in z.namelist()})
        self.assertEqual([text(state[OWN_KEY][n]) for n in ("Icon", "HotIcon")],
                         [folder + "\\shop.ico"] * 2)
        self.assertEqual(text(state[OWN_SETUP.lower()]["StubPath"]),
                         '"%s\\vorlinde-agent.exe"' % folder)
        entry = state[(UNINSTALL + "\\" + code).lower()]
        self.assertEqual([text(entry[n]) for n in ("DisplayName", "Publisher", "DisplayVersion")]
                         + [entry["NoModify"]], ["Vorlinde", "Vorlinde", table(
                             path, "Property")["ProductVersion"][0], (REG_DWORD, b"\1\0\0\0")])
        icon = os.path.join(WINE.drive_c, "windows", "Installer", code, "vorlinde.ico")
        self.assertEqual(read(icon), read(os.environ["VORLINDE_APP_ICON"]))
        self.assertNotIn((UNINSTALL + "\\" + self.packages[1 - index][1]).lower(), state)

    def assertLeftNothing(self, code, agent=None):
        """No product, no key, no folder; and Active Setup runs the agent
        from Common Files after a removal (`agent`), or nothing after an
        install that failed."""
        state = self.state()
        for key in (OWN_KEY, UNINSTALL + "\\" + code):
            self.assertFalse(key.lower() in state, key)
        self.assertFalse(os.path.exists(FOLDER))
        stub = '"%s"' % WINE.windows_path(COMMON_AGENT) if agent else ""
        self.assertEqual(text(state.get(OWN_SETUP.lower(), {}).get("StubPath")), stub)
        if agent:
            self.assertEqual(read(COMMON_AGENT), read(os.environ["VORLINDE_AGENT_EXE"]))

    def test_install_log_on_upgrade_and_uninstall(self):
        self.assertEqual(self.msiexec("/i", self.msi[0]), 0)
        self.assertEqual(self.layout(), None)  # no run of the package touches a layout
        self.assertInstalled(0)
        self.assertEqual(self.log_on(), ONE_ENTRY)  # the agent places the button
        self.assertEqual(self.log_on(), ONE_ENTRY)  # once per user

        self.assertEqual(self.msiexec("/i", self.msi[1]), 0)
        self.assertInstalled(1)
        self.assertEqual(self.log_on(), ONE_ENTRY)  # a new Version: the agent adds nothing

        # The removal runs as this user and fixes this user's layout at once; on
        # Windows the agent does so at the user's next logon.
        self.assertEqual(self.msiexec("/x", self.packages[1][1]), 0)
        self.assertEqual(self.log_on(), DEFAULT_LAYOUT)
        self.assertLeftNothing(self.packages[1][1], agent=True)

    def test_every_way_of_removal_takes_the_button_out(self):
        ways = {"uninstall with the files deleted by hand": ("/x", self.packages[0][1]),
                "removing the feature": ("/i", self.msi[0], "REMOVE=Complete")}
        for way, command in ways.items():
            with self.subTest(way):
                self.assertEqual(self.msiexec("/i", self.msi[0]), 0)
                if command[0] == "/x":
                    shutil.rmtree(FOLDER)
                self.assertEqual(self.msiexec(*command), 0)
                self.assertIn("Step: taking the button out", self.said())
                self.assertLeftNothing(self.packages[0][1], agent=True)

    def test_repair_and_a_second_install_touch_no_layout(self):
        self.assertEqual(self.msiexec("/i", self.msi[0]), 0)
        self.set_layout(ONE_ENTRY)  # as this user's own, placed at their logon
        before = (self.state(), self.files())
        self.assertEqual(self.msiexec("/i", self.msi[0]), 0)
        self.assertEqual((self.state(), self.files()), before)
        # A repair (what /f does; Wine's msiexec takes no /f) brings back a
        # deleted file and the deleted key, and nothing else changes.
        os.remove(os.path.join(FOLDER, "shop.ico"))
        WINE.reg("delete", MACHINE_EXTENSIONS + "\\" + KEY_GUID, "/f")
        self.assertEqual(self.msiexec("/i", self.msi[0], "REINSTALL=ALL", "REINSTALLMODE=omus"), 0)
        self.assertEqual(self.files(), before[1])
        after = self.state()
        self.assertEqual(after[OWN_KEY], before[0][OWN_KEY])
        self.assertEqual(self.layout(), ONE_ENTRY)
        self.assertEqual(self.log_on(), ONE_ENTRY)

    def test_an_upgrade_keeps_the_folder_chosen_at_install(self):
        apps = os.path.join(WINE.drive_c, "Apps", "Vorlinde")
        self.assertEqual(self.msiexec("/i", self.msi[0], "INSTALLDIR=" + WINE.windows_path(apps)), 0)
        self.assertEqual(self.msiexec("/i", self.msi[1]), 0)
        self.assertInstalled(1, apps)
        self.assertFalse(os.path.exists(FOLDER))
        self.assertEqual(self.msiexec("/x", self.packages[1][1]), 0)
        self.assertFalse(os.path.exists(apps))

    def test_a_per_user_install_is_refused_and_changes_nothing(self):
        before = self.state()
        self.assertEqual(self.msiexec("/i", self.msi[0], 'ALLUSERS=""'), 1603)
        self.assertEqual(self.state(), before)
        self.assertFalse(os.path.exists(FOLDER))

    def test_an_install_whose_machine_part_fails_says_why_and_leaves_nothing(self):
        # The registry refuses a lasting key below a volatile one, as it would
        # refuse a user without rights, which Wine never does; another
        # vendor's broken key stops the install before the key is written.
        causes = {"writing the extension key": lambda: WINE.check(
                      os.environ["VORLINDE_VOLATILE_KEY"], EXTENSIONS.split("\\", 1)[1]),
                  "listing the buttons of the class": lambda: self.scenario.import_registry(
                      BROKEN_BUTTON)}
        for step, cause in causes.items():
            with self.subTest(step):
                cause()
                try:
                    self.assertEqual(self.msiexec("/i", self.msi[0]), 1603)
                    said = "\n".join(self.said())
                    self.assertIn("Step failed: " + step, said)
                    # Stopped before anything is written, with what to do about it.
                    self.assertEqual("PROBLEM: another extension key is malformed" in said
                                     and "What to do: Find the key whose clsid value is not a "
                                         "text" in said, step.startswith("listing"))
                    self.assertLeftNothing(self.packages[0][1])
                finally:
                    WINE.run("reg", "delete", MACHINE_EXTENSIONS, "/f", *WINE.view(32))

    def test_check_machine_tells_the_truth_in_a_folder_beyond_the_code_page(self):
        programs = "\u041f\u0440\u043e\u0433\u0440\u0430\u043c\u043c\u044b"
        folder = os.path.join(WINE.drive_c, programs, "\u041a\u043d\u043e\u043f\u043a\u0430")
        shutil.rmtree(os.path.dirname(folder), ignore_errors=True)
        windows_folder = WINE.windows_path(folder)
        self.assertEqual(self.msiexec("/i", self.msi[0], "INSTALLDIR=" + windows_folder), 0)
        exported = WINE.export((OWN_KEY,), self.scenario.work)[0].decode("utf-16")
        self.assertIn('"Icon"="%s\\\\shop.ico"' % windows_folder.replace("\\", "\\\\"), exported)
        check = (WINE.windows_path(os.path.join(folder, "vorlinde-inspect.exe")), "/CheckMachine")
        self.assertEqual(WINE.run(*check)[0], 0)
        os.rename(os.path.join(folder, "shop.ico"), os.path.join(folder, "moved.ico"))
        self.assertEqual(WINE.run(*check)[0], 1)  # a path that names nothing is a problem
        os.rename(os.path.join(folder, "moved.ico"), os.path.join(folder, "shop.ico"))
        self.assertEqual(self.msiexec("/x", self.packages[0][1]), 0)

    def test_other_buttons_keep_their_entries_through_placement_and_removal(self):
        """A button of the class listed before ours (16) and one after it (17,
        then 18 once ours is in): the agent moves this user's entry of the
        later one up as it places ours, and the uninstall moves it back. A
        user the placement never reached keeps the layout as it is."""
        self.scenario.import_registry("REGEDIT4\n" + "".join(
            '\n[%s\\%s]\n"clsid"="%s"\n"ButtonText"="b"\n"Icon"="i"\n'
            % (MACHINE_EXTENSIONS, name, CLSID) for name in ("{0A000000-0000-0000-0000-000000000001}",
                         "{F0000000-0000-0000-0000-00000000000F}")))
        before = layout("07 00 00 00 10 01 00 00 11 01 00 00")
        for reached in (True, False):
            with self.subTest(reached=reached):
                self.set_layout(before)
                self.assertEqual(self.msiexec("/i", self.msi[0]), 0)
                if reached:
                    self.assertEqual(self.log_on(),
                                     layout("07 00 00 00 10 01 00 00 11 01 00 00 12 01 00 00"))
                self.assertEqual(self.msiexec("/x", self.packages[0][1]), 0)
                self.assertEqual(self.layout(), before)
                if not reached:  # the uninstall's fix ran for this user, and held back
                    note = reg_export.parse(WINE.export((NOTE,), self.scenario.work)[0])
                    self.assertIn("never reached", text(note[NOTE.lower()].get("Outcome")))


if __name__ == "__main__":
    unittest.main()
