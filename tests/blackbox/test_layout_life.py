"""Every user's other buttons keep their place through the button's whole
life: the machine part written by vorlinde-inspect.exe /InstallMachinePart,
as the package and the README's recipe write it, removed by /Remove, and
each user's layout brought in line by the agent at their logon. A and C are
buttons of our class listed before and after ours: A is 16, C 17 before the
install and 18 after it, ours 17. Users are swapped in the one prefix
(become); a second prefix is a second machine that a roaming profile
reaches."""
import contextlib
import os
import re
import shutil
import subprocess
import unittest

import reg_export
from button import KEY_GUID
from scenario import (ARCH, EXE, MACHINE_IDENTITY, RESET, SHOP_ICON, agent_component,
                      import_registry)
from test_button_life import (A, BAR, C, EXTENSIONS, LINKS, MACHINE, NOTE, PLAIN, RECORD, USER,
                              VICTIM, Users, plant_link)
from test_report_tool import AGENT, INSPECT
from wine import Wine

INSTALL_RECORD = r"HKEY_LOCAL_MACHINE\SOFTWARE\Vorlinde\Install"
STAMP_MARK = r"HKEY_LOCAL_MACHINE\SOFTWARE\Vorlinde.Machine"
SECOND_PREFIX = os.path.join(os.environ["VORLINDE_BUILD_DIR"], "wineprefix-second-" + ARCH)
SECOND_IDENTITY = "{5EC0AD00-0000-4000-8000-0000000005EC}"
PREFIX_SCRIPT = os.path.join(os.environ["VORLINDE_SOURCE_DIR"], "cmake", "wine-prefix.sh")


def layout(entries):
    """A layout as Users.layout() shows it, from its entries in 8 hex digits."""
    return bytes.fromhex(entries).hex(" ").upper()


ANN = layout("07000000 01010000 10010000 11010000 03010000")  # A 16, C 17
ANN_PLACED = layout("07000000 01010000 11010000 10010000 12010000 03010000")  # ours 17, C 18
TAKEN_OFF = layout("07000000 01010000 10010000 12010000 03010000")  # ours taken off by hand
PLAIN_PLACED = layout("07000000 01010000 11010000 03010000")
FULL = layout("07000000" + " 01010000" * 511)  # 2048 bytes, the most any tool accepts
UNRELATED = " 30 01 00 00"  # an entry no shift may touch
# Each way a removal record is damaged (RemovedId 17 and RemovedPosition 1
# when sound), none of which may be applied to anyone's layout.
DAMAGED = {"RemovedId as text": ("RemovedId", '"17"'),
           "RemovedId as an 8-byte number": ("RemovedId", "hex(b):11,00,00,00,00,00,00,00"),
           "RemovedId as binary": ("RemovedId", "hex:11,00,00,00"),
           "RemovedId missing": ("RemovedId", "-"),
           "RemovedId of a built-in button": ("RemovedId", "dword:00000007"),
           "RemovedPosition beyond the keys": ("RemovedPosition", "dword:c0000000")}
SOUND = '"RemovedId"=dword:00000011\n"RemovedPosition"=dword:00000001\n'


class LayoutLife(Users):
    BUTTONS = (A, C)

    def component_name(self):
        name = agent_component(self.work, 32, self.wine)
        self.assertTrue(name, "no component runs the agent")
        return name

    def set_values(self, key, values):
        import_registry(self.work, "REGEDIT4\n\n[%s]\n%s" % (key, values), self.wine)

    def removal(self):
        """The administrator's /Remove, then the user who was on before."""
        user = self.user
        self.become("admin")
        code, out = self.remove()
        self.assertEqual(code, 0, out)
        self.become(user)

    def test_1_2_a_removal_undoes_only_what_the_placement_did(self):
        self.install()
        self.become("ann", ANN)
        self.assertEqual(self.log_on(), ANN_PLACED)  # C's entry moves with C
        self.removal()
        self.assertEqual(self.log_on(), ANN)  # and back
        self.become("cal", ANN)  # away all the while: the placement never reached him
        self.assertEqual(self.log_on(), ANN)
        self.assertIn("never reached", self.values(NOTE)["Outcome"])

    def test_3_a_damaged_removal_record_is_applied_to_no_one(self):
        self.install()
        self.become("ann", ANN + UNRELATED)
        self.assertEqual(self.log_on(), ANN_PLACED + UNRELATED)
        self.removal()
        for damage, (name, value) in DAMAGED.items():
            with self.subTest(damage):
                self.set_values(RECORD, '"%s"=%s\n' % (name, value))
                code, out, _ = self.wine.run(self.agent)  # as Active Setup starts it
                self.assertEqual((code, self.layout()), (1, ANN_PLACED + UNRELATED), out)
                self.set_values(RECORD, SOUND)
        self.assertEqual(self.log_on(), ANN + UNRELATED)  # the sound record is applied

    def test_4_a_layout_at_the_limit_is_left_as_it_is(self):
        self.install()
        self.become("ann", FULL)
        self.assertEqual(self.log_on(exit_code=1), FULL)
        self.assertIn("longer than 2048 bytes", self.values(NOTE)["Outcome"])
        self.removal()
        self.assertEqual(self.log_on(), FULL)

    def test_5_a_stamp_that_cannot_be_raised_stops_the_removal(self):
        self.install()
        self.assertEqual(self.log_on(), PLAIN_PLACED)
        component = MACHINE + "\\" + self.component_name()
        self.wine.reg("add", component, "/v", "Version", "/d", "65535,65535,65535,65535", "/f")
        code, out = self.remove()
        self.assertEqual(code, 1, out)
        self.assertIn('"Version"', out)
        self.assertIn("65535,65535,65535,65535", out)
        self.assertEqual(self.values(component)["Version"], "65535,65535,65535,65535")
        self.assertTrue(self.values(EXTENSIONS + "\\" + KEY_GUID))
        self.assertEqual(self.values(RECORD).get("Stamp"), None)
        self.assertEqual(self.layout(), PLAIN_PLACED)

    def test_6_a_clock_once_ahead_and_the_clean_up_still_reach_every_user(self):
        self.install()
        component = MACHINE + "\\" + self.component_name()
        now = self.values(component)["Version"].split(",", 1)
        ahead = "%d,%s" % (int(now[0]) + 1, now[1])  # what a clock a year ahead stamped
        for key, name in ((component, "Version"), (INSTALL_RECORD, "Stamp"),
                          (STAMP_MARK, "HighestStamp")):
            self.wine.reg("add", key, "/v", name, "/d", ahead, "/f")
        self.become("ann")
        self.assertEqual(self.log_on(), PLAIN_PLACED)
        self.removal()
        self.assertEqual(self.log_on(), PLAIN)
        self.become("admin")  # the README's clean-up, the clock put right
        import_registry(self.work, "REGEDIT4\n\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorlinde]\n",
                        self.wine)
        self.unregister()
        self.install()
        self.become("ann")
        self.assertEqual(self.log_on(), PLAIN_PLACED)

    def roaming_parts(self):
        """What roams with the current user's profile: the layout and Active
        Setup's copies, as `reg export` writes them."""
        self.wine.reg("add", USER, "/f")
        return [self.wine.export((key,), self.work)[0] for key in (BAR, USER)]

    def roam(self, parts):
        """The roaming parts in place of the current user's; the note stays."""
        import_registry(self.work, "REGEDIT4\n\n[-%s]\n[-%s]\n" % (BAR, USER), self.wine)
        for number, data in enumerate(parts):
            path = os.path.join(self.work, "roaming%d.reg" % number)
            with open(path, "wb") as f:
                f.write(data)
            self.wine.reg("import", self.wine.windows_path(path))

    @contextlib.contextmanager
    def second_machine(self):
        """The helpers act on a second prefix with the same buttons."""
        subprocess.run((PREFIX_SCRIPT, "setup", SECOND_PREFIX, ARCH), check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
        self.addCleanup(subprocess.run, (PREFIX_SCRIPT, "cleanup", SECOND_PREFIX, ARCH),
                        stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
        here = self.wine, self.work, self.inspect, self.agent
        self.wine = Wine(SECOND_PREFIX, ARCH)
        folder = os.path.join(self.wine.drive_c, "bb", "second")
        self.work = os.path.join(self.wine.drive_c, "bb-work", "second")
        for path in (folder, self.work):
            shutil.rmtree(path, ignore_errors=True)
            os.makedirs(path)
        for source, name in ((EXE, "vorlinde.exe"), (SHOP_ICON, "shop.ico"),
                             (INSPECT, "vorlinde-inspect.exe"), (AGENT, "vorlinde-agent.exe")):
            shutil.copyfile(source, os.path.join(folder, name))
        self.inspect, self.agent = (self.wine.windows_path(os.path.join(folder, name))
                                    for name in ("vorlinde-inspect.exe", "vorlinde-agent.exe"))
        # A machine of its own: its own identity, and so its own component.
        import_registry(self.work, RESET.replace(MACHINE_IDENTITY, SECOND_IDENTITY)
                        + self.fixture(), self.wine)
        for bits in (32, 64) if self.wine.windows64 else (32,):
            self.unregister(bits)
        try:
            yield
        finally:
            self.wine, self.work, self.inspect, self.agent = here

    def walk_roaming(self, removed_on_first, expected):
        """Rita's events on the first machine, then a later one on the
        second (an install and a removal that never reached her), then her
        logon back on the first and /FixLayout there."""
        self.install()
        self.become("rita", ANN)
        if removed_on_first:
            self.assertEqual(self.log_on(), ANN_PLACED)
            self.removal()
        roamed, parts = self.layout(), self.roaming_parts()
        with self.second_machine():
            self.install()
            self.assertEqual(self.remove()[0], 0)
            self.set_layout(PLAIN)  # her first logon on this machine: no note
            self.roam(parts)
            self.assertEqual(self.log_on(), roamed)
            parts = self.roaming_parts()
        self.roam(parts)
        self.assertEqual(self.log_on(), expected)  # the other machine's Version hides nothing
        copies = self.roaming_parts()[1]
        code, out = self.remove("/FixLayout")
        self.assertEqual((code, self.layout()), (0, expected), out)
        self.assertEqual(self.roaming_parts()[1], copies)  # no copy lowered for another machine

    def test_7_a_later_event_elsewhere_hides_no_removal_here(self):
        self.walk_roaming(True, ANN)

    def test_7_a_later_event_elsewhere_hides_no_placement_here(self):
        self.walk_roaming(False, ANN_PLACED)

    def test_8_a_link_in_the_removal_record_blocks_no_placement(self):
        self.install()
        plant_link(LINKS[0], VICTIM)
        self.addCleanup(plant_link, LINKS[0])
        self.become("ann", ANN)
        self.assertEqual(self.log_on(), ANN_PLACED)

    def test_10_a_button_taken_off_stays_off_across_a_repair(self):
        self.install()
        self.become("ann", ANN)
        self.assertEqual(self.log_on(), ANN_PLACED)
        self.set_values(BAR, '"ButtonLayout"=hex:%s\n' % TAKEN_OFF.replace(" ", ","))
        self.become("admin")
        self.install()  # a repair, or an upgrade: a new Version
        self.become("ann")
        self.assertEqual(self.log_on(), TAKEN_OFF)

    def test_11_a_renewed_identity_keeps_every_users_place(self):
        self.install()
        self.become("ann", ANN)
        self.assertEqual(self.log_on(), ANN_PLACED)
        self.become("admin")
        old = self.component_name()
        self.assertEqual(self.remove("/RenewIdentity")[0], 0)
        self.assertNotEqual(self.component_name(), old)
        self.become("ann")
        self.assertEqual(self.log_on(), ANN_PLACED)  # run once more under the new name
        self.removal()
        self.assertEqual(self.log_on(), ANN)

    def test_12_runs_that_change_the_machine_part_at_once_take_turns(self):
        """Real processes, started together: never one stamp twice, never a
        second identity, whichever run comes first."""
        pairs = {"a repair and /Remove": ("/InstallMachinePart", "/Remove"),
                 "two first installs": ("/InstallMachinePart", "/InstallMachinePart")}
        def components():
            below = MACHINE.lower() + "\\vorlinde."
            return [key for key in reg_export.parse(self.wine.export((MACHINE,), self.work)[0])
                    if key.startswith(below) and "\\" not in key[len(below):]]
        for pair, switches in pairs.items():
            for round_ in range(6):
                with self.subTest(pair, round=round_):
                    import_registry(self.work, "REGEDIT4\n\n" + "".join(
                        "[-%s]\n" % key for key in [STAMP_MARK] + components()), self.wine)
                    if switches[1] == "/Remove":
                        self.install()
                    runs = [self.wine.start(self.inspect, switch) for switch in switches]
                    said = [run.communicate(timeout=120)[0].decode("utf-8") for run in runs]
                    self.assertEqual([run.returncode for run in runs], [0, 0], said)
                    stamps = [re.findall(r"Version (\d+,\d+,\d+,\d+)\)", s)[-1] for s in said]
                    self.assertNotEqual(stamps[0], stamps[1], said)
                    self.assertEqual(len(components()), 1, components())

if __name__ == "__main__":
    unittest.main()
