"""The Windows Installer package's whole life under Wine, driven as a
deployment tool drives it (msiexec /qn with a log): install, each user's
part through Active Setup, a major upgrade, uninstall, and an install whose
machine part fails.

Two things Wine lacks are stood in for where they matter:
- it has no SYSTEM account, so the package's non-impersonated runs happen as
  this user and change this user's layout, which on Windows would be
  SYSTEM's own;
- it never runs Active Setup, so log_on() does what Windows does at a logon."""
import os
import shutil
import subprocess
import sys
import unittest
import zipfile

import reg_export
from button import (CLSID, COMMAND_BAR, DEFAULT_ENTRIES, EXTENSIONS, OWN_KEY, SEVEN_VALUES,
                    default_layout_with, layout)
from reg_export import REG_DWORD, REG_SZ
from scenario import BROWSER_KEYS, WINE, Scenario
from test_package import make_package, table

SETUP = r"\SOFTWARE\Microsoft\Active Setup\Installed Components"
MACHINE_SETUP, USER_SETUP = "HKEY_LOCAL_MACHINE" + SETUP, "HKEY_CURRENT_USER" + SETUP
OWN_SETUP = MACHINE_SETUP + r"\Vorlinde"
UNINSTALL = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
KEYS = BROWSER_KEYS + (MACHINE_SETUP, USER_SETUP, UNINSTALL)
# A 32-bit package: in a 64-bit system its files go to the 32-bit folder.
FOLDER = os.path.join(WINE.drive_c, "Program Files (x86)" if WINE.arch == "win64"
                      else "Program Files", "Vorlinde")
FIX_UP = MACHINE_SETUP + r"\Vorlinde.LayoutFixUp"
# No trace of an earlier run: Active Setup's notes, the removal's records.
FRESH = "".join("\n[-%s]" % key for key in (
    USER_SETUP, FIX_UP, r"HKEY_LOCAL_MACHINE\SOFTWARE\Vorlinde", r"HKEY_CURRENT_USER\Software\Vorlinde"))
FRESH += "\n[%s]\n" % USER_SETUP


def text(value):
    return value[1][:-1].decode("cp1252") if value else ""


def version(value):
    """An Active Setup version, "1,0", as Windows compares it."""
    return tuple(int(part) for part in text(value).split(",") if part)


class PackageLife(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        output = os.path.join(os.environ["VORLINDE_BUILD_DIR"], "blackbox-msi-" + WINE.arch)
        shutil.rmtree(output, ignore_errors=True)
        cls.zip = os.path.join(output, make_package(output)[0])
        older = cls.zip.replace("-win32.zip", ".msi")
        release = table(older, "Property")["ProductVersion"][0].split(".")
        newer = ".".join(release[:-1] + [str(int(release[-1]) + 1)])
        subprocess.run([sys.executable, os.path.join(os.environ["VORLINDE_SOURCE_DIR"], "cmake",
                                                     "build_msi.py"), cls.zip, output,
                        os.environ["VORLINDE_SOURCE_DIR"], os.environ["VORLINDE_APP_ICON"], newer],
                       check=True)
        cls.packages = [(path, table(path, "Property")["ProductCode"][0])
                        for path in (older, os.path.join(output, "vorlinde-%s.msi" % newer))]

    def setUp(self):
        self.scenario = Scenario("msi", FRESH)
        for _, code in self.packages:  # what an earlier run left
            if UNINSTALL.lower() + "\\" + code.lower() in self.state():
                self.msiexec("/x", code)
                self.scenario.import_registry("REGEDIT4\n" + FRESH)
        self.msi = [shutil.copy(path, self.scenario.work) for path, _ in self.packages]

    def state(self):
        registry = {}
        for export in WINE.export(KEYS, self.scenario.work):
            registry.update(reg_export.parse(export))
        return registry

    def msiexec(self, *args):
        """msiexec's whole exit code (Wine hands Linux its low byte only)."""
        batch = os.path.join(self.scenario.work, "msiexec.bat")
        with open(batch, "wb") as f:
            f.write(b"@msiexec %*\r\n@echo %ERRORLEVEL%\r\n")
        self.steps = getattr(self, "steps", 0) + 1
        log = WINE.windows_path(os.path.join(self.scenario.work, "step%d.log" % self.steps))
        _, out, _ = WINE.run("cmd", "/c", WINE.windows_path(batch), *args, "/qn", "/l*v", log)
        return int(out.split()[-1])

    def as_installer(self, *args):
        """Runs msiexec, then puts this user's layout back as it was: the
        installer's runs changed it only because Wine made this user the
        installing account. That account's layout is returned."""
        before = self.state().get(COMMAND_BAR.lower(), {}).get("ButtonLayout")
        self.assertEqual(self.msiexec(*args), 0)
        after = self.state().get(COMMAND_BAR.lower(), {}).get("ButtonLayout")
        self.scenario.import_registry("REGEDIT4\n\n[-%s]\n" % COMMAND_BAR + (
            "[%s]\n\"ButtonLayout\"=hex:%s\n" % (COMMAND_BAR, before[1].hex(",")) if before else ""))
        return after

    def log_on(self):
        """Active Setup at a logon: every component whose version is above
        the one recorded for the user runs its command once, as the user."""
        state = self.state()
        for key, values in state.items():
            user_key = USER_SETUP + key[len(MACHINE_SETUP):]
            if (key.startswith(MACHINE_SETUP.lower() + "\\") and "StubPath" in values
                    and values.get("IsInstalled") != (REG_DWORD, bytes(4))
                    and version(values.get("Version")) > version(
                        state.get(user_key.lower(), {}).get("Version"))):
                batch = os.path.join(self.scenario.work, "stub.bat")
                with open(batch, "wb") as f:
                    f.write(("@%s\r\n" % text(values["StubPath"])).encode("cp1252"))
                WINE.check("cmd", "/c", WINE.windows_path(batch))
                WINE.reg("add", user_key, "/v", "Version", "/d", text(values["Version"]), "/f")
        return self.state().get(COMMAND_BAR.lower(), {}).get("ButtonLayout")

    def assertInstalled(self, state, index):
        path, code = self.packages[index]
        folder = WINE.windows_path(FOLDER).encode("cp1252")
        with zipfile.ZipFile(self.zip) as z:
            self.assertEqual(sorted(os.listdir(FOLDER)), sorted(z.namelist()))
            for name in z.namelist():
                with open(os.path.join(FOLDER, name), "rb") as f:
                    self.assertEqual(f.read(), z.read(name), name)
        self.assertEqual(set(state[OWN_KEY]), set(SEVEN_VALUES))
        for name in ("Icon", "HotIcon"):
            self.assertEqual(state[OWN_KEY][name], (REG_SZ, folder + b"\\shop.ico\0"))
        self.assertEqual({n: text(state[OWN_SETUP.lower()].get(n)) for n in ("StubPath", "Version")},
                         {"StubPath": '"%s\\vorlinde.exe"' % folder.decode("cp1252"),
                          "Version": "1,0,0"})
        entry = state[(UNINSTALL + "\\" + code).lower()]
        self.assertEqual([text(entry[n]) for n in ("DisplayName", "Publisher", "DisplayVersion")],
                         ["Vorlinde", "Vorlinde", table(path, "Property")["ProductVersion"][0]])
        self.assertEqual(entry["NoModify"], (REG_DWORD, b"\1\0\0\0"))
        with open(os.path.join(WINE.drive_c, "windows", "Installer", code, "vorlinde.ico"),
                  "rb") as icon, open(os.environ["VORLINDE_APP_ICON"], "rb") as built:
            self.assertEqual(icon.read(), built.read())
        self.assertNotIn((UNINSTALL + "\\" + self.packages[1 - index][1]).lower(), state)

    def test_install_log_on_upgrade_and_uninstall(self):
        one_entry = default_layout_with(0x10, 2)
        # The machine part ran as this account (SYSTEM on Windows) and
        # placed the button in its layout too, once.
        self.assertEqual(self.as_installer("/i", self.msi[0]), (3, one_entry))
        self.assertInstalled(self.state(), 0)
        self.assertEqual(self.log_on(), (3, one_entry))
        self.assertEqual(self.log_on(), (3, one_entry))  # once per user

        self.as_installer("/i", self.msi[1])
        self.assertInstalled(self.state(), 1)
        self.assertEqual(self.log_on(), (3, one_entry))  # the same version: not again

        # The removal runs as this account, so it fixes this user's layout
        # itself; on Windows the fix-up does so at the user's next logon.
        self.assertEqual(self.msiexec("/x", self.packages[1][1]), 0)
        self.assertEqual(self.log_on(), (3, layout(" ".join(DEFAULT_ENTRIES))))
        self.assertLeftNothing(self.packages[1][1])
        # What stays for the users who have yet to log on: the fix-up's copy
        # in Common Files, registered with Active Setup.
        stub = text(self.state()[FIX_UP.lower()]["StubPath"]).strip('"')
        self.assertEqual(stub, WINE.windows_path(os.path.join(
            os.path.dirname(FOLDER), "Common Files", "Vorlinde", "vorlinde-fixup.exe")))

    def assertLeftNothing(self, code, keys=(OWN_KEY,)):
        state = self.state()
        for key in keys + (OWN_SETUP, UNINSTALL + "\\" + code):
            self.assertFalse(key.lower() in state, key)
        self.assertFalse(os.path.exists(FOLDER))

    def test_an_install_whose_machine_part_fails_ends_in_failure_and_leaves_nothing(self):
        buttons = "".join('[%s\\{%08X-0000-0000-0000-000000000000}]\n"clsid"="%s"\n'
                          '"ButtonText"="b"\n"Icon"="i"\n' % (EXTENSIONS, i, CLSID)
                          for i in range(240))
        for name, prepare, keys in (
                # The registry refuses a lasting key below a volatile one, as
                # it would refuse a user without rights, which Wine never does.
                ("a key the registry refuses", lambda: WINE.check(
                    os.environ["VORLINDE_VOLATILE_KEY"], EXTENSIONS.split("\\", 1)[1]),
                 (OWN_KEY,)),
                # Written, but 240 buttons of its class before it give it id
                # 256, which a layout entry cannot hold. Windows runs the
                # rollback's /Remove before it deletes the files; Wine after,
                # when the inspector no longer starts, and counts that as
                # success: there the key stays.
                ("a command id past 255",
                 lambda: self.scenario.import_registry("REGEDIT4\n\n" + buttons), ())):
            with self.subTest(name):
                self.setUp()
                prepare()
                self.assertIn(self.msiexec("/i", self.msi[0]), (1603, 1627))  # Windows, Wine
                self.assertLeftNothing(self.packages[0][1], keys)


if __name__ == "__main__":
    unittest.main()
