"""The button's life on a shared machine as an administrator takes it: installs
and repairs, removals, users who were away, two runs at once, a removal
stopped half way, links planted in Vorlinde's own keys, both registry views.
Wine has one user and runs no Active Setup: become() puts another user's
layout and notes in place, and log_on() does what Windows does at a logon."""
import os
import unittest

import reg_export
from button import CLSID, KEY_GUID
from scenario import COMPONENT, WINE, BlackBoxTest, Scenario, agent_component, import_registry
from test_report_tool import AGENT, INSPECT

SETUP = r"SOFTWARE\Microsoft\Active Setup\Installed Components"
MACHINE, USER = "HKEY_LOCAL_MACHINE\\" + SETUP, "HKEY_CURRENT_USER\\" + SETUP
OWN, USER_COPY = MACHINE + "\\" + COMPONENT, USER + "\\" + COMPONENT
NOTE = r"HKEY_CURRENT_USER\Software\Classes\Local Settings\Software\Vorlinde\Layout"
RECORD = r"HKEY_LOCAL_MACHINE\SOFTWARE\Vorlinde\Removal"
BAR = r"HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\LowRegistry\CommandBar"
EXTENSIONS = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer\Extensions"
# Same-class buttons listed before ours (ids 16, 17) and after it (19, 20).
A, B = "{0A000000-0000-0000-0000-000000000001}", "{0B000000-0000-0000-0000-000000000002}"
C, D = "{F0000000-0000-0000-0000-00000000000F}", "{F1000000-0000-0000-0000-00000000000F}"
# The program's own view, as links and registry_link.exe name it.
OWN_VIEW = "SOFTWARE\\WOW6432Node" if WINE.windows64 else "SOFTWARE"
LINKS = ["HKLM\\%s\\%s" % (OWN_VIEW, p) for p in (
    r"Vorlinde\Removal", r"Microsoft\Active Setup\Installed Components" + "\\" + COMPONENT,
    r"Microsoft\Active Setup\Installed Components\Vorlinde.LayoutFixUp",
    r"Microsoft\Internet Explorer\Extensions" + "\\" + KEY_GUID)]
VICTIM = "\\REGISTRY\\MACHINE\\%s\\Microsoft\\Active Setup\\Installed Components\\Victim" % OWN_VIEW
PLAIN = "07 00 00 00 01 01 00 00 03 01 00 00"
PLACED = "07 00 00 00 01 01 00 00 12 01 00 00 03 01 00 00"  # ours is 18


def plant_link(path, *target):
    """A link at `path` ("HKLM\\...", as written, no view) to `target`; with
    no target, a link standing there is deleted itself."""
    WINE.check(os.environ["VORLINDE_REGISTRY_LINK_EXE"], path, *target)


def button(name, icon=True, clsid='"%s"' % CLSID):
    return '\n[%s\\%s]\n"clsid"=%s\n"ButtonText"="b"\n%s' % (
        EXTENSIONS, name, clsid, '"Icon"="i"\n' if icon else "")


class Users(BlackBoxTest):
    """A shared machine: become() swaps the users, log_on() plays Active
    Setup. The helpers act on the machine `self.wine`, through the folder
    `self.work` on its drive C:, whose programs are `self.inspect` and
    `self.agent`."""
    BUTTONS = (A, B, C, D)  # the same-class buttons besides ours

    def fixture(self):
        """No trace of an earlier install, the buttons, and a victim for links."""
        keys = [OWN, MACHINE + "\\Vorlinde", MACHINE + "\\Vorlinde.LayoutFixUp", MACHINE + "\\Victim",
                r"HKEY_LOCAL_MACHINE\SOFTWARE\Vorlinde", NOTE, USER]
        return ("".join("[-%s]\n" % k for k in keys) + "".join(button(n) for n in self.BUTTONS)
                + '[%s\\Victim\\Below]\n"StubPath"="victim"\n' % MACHINE)

    def setUp(self):
        for link in LINKS:
            plant_link(link)
        self.scenario = Scenario("life", self.fixture())
        self.wine, self.work = WINE, self.scenario.work
        self.inspect = WINE.windows_path(self.scenario.add_program(INSPECT, "vorlinde-inspect.exe"))
        self.agent = WINE.windows_path(self.scenario.add_program(AGENT, "vorlinde-agent.exe"))
        self.users, self.user, self.component = {}, "admin", None
        for bits in (32, 64) if WINE.windows64 else (32,):
            self.unregister(bits)
        self.set_layout(PLAIN)
        if WINE.windows64 and self.values(OWN, 64):
            WINE.reg("delete", OWN, "/f", bits=64)

    def unregister(self, bits=32):
        """Deletes the component that runs the agent, in one view."""
        name = agent_component(self.work, bits, self.wine)
        if name:
            self.wine.reg("delete", MACHINE + "\\" + name, "/f", bits=bits)

    def user_keys(self):
        """What is the current user's own of ours: the note, and Active
        Setup's copy of the agent's component (the last one found while none
        stands, so that the copy survives a swap)."""
        self.component = agent_component(self.work, 32, self.wine) or self.component
        return (NOTE,) + ((USER + "\\" + self.component,) if self.component else ())

    def values(self, key, bits=32):
        """The key's values as texts (hex for bytes); {} when it is missing."""
        try:
            export = self.wine.export((key,), self.work, bits)[0]
        except RuntimeError:
            return {}
        found = reg_export.parse(export).get(key.lower(), {})
        return {n: v[1][:-1].decode("cp1252") if v[0] == reg_export.REG_SZ else v[1].hex(" ")
                for n, v in found.items()}

    def layout(self):
        return self.values(BAR).get("ButtonLayout", "").upper()

    def set_layout(self, entries, notes=""):
        import_registry(self.work, "REGEDIT4\n\n%s[%s]\n\"ButtonLayout\"=hex:%s\n%s" % (
            "".join("[-%s]\n" % key for key in self.user_keys()), BAR, entries.replace(" ", ","),
            notes), self.wine)

    def become(self, name, layout=PLAIN):
        """`name` logs on in place of the current user, with their layout and
        notes as they left them; a new user has `layout` and no notes."""
        self.users[self.user] = (self.layout(), "".join(
            '[%s]\n%s\n' % (k, "\n".join('"%s"="%s"' % i for i in v.items()))
            for k, v in ((k, self.values(k)) for k in self.user_keys()) if v))
        self.user = name
        self.set_layout(*self.users.get(name, (layout, "")))

    def install(self):
        """The machine part alone, as an administrator writes it: the
        extension key, the install's record and the agent with a new stamp."""
        code, out = self.remove("/InstallMachinePart")
        self.assertEqual(code, 0, out)

    def log_on(self, exit_code=0):
        """Active Setup: the agent's component of each view whose Version is
        above the user's copy runs once, and must end with `exit_code`; the
        copy is raised whatever the run's outcome."""
        for bits in (32, 64) if self.wine.windows64 else (32,):
            name = agent_component(self.work, bits, self.wine)
            if not name:
                continue
            machine, user = self.values(MACHINE + "\\" + name, bits), USER + "\\" + name
            version = [[int(n) for n in v.get("Version", "0").split(",")]
                       for v in (machine, self.values(user))]
            if version[0] > version[1]:
                code, out, _ = self.wine.run(machine["StubPath"].strip('"'))
                self.assertEqual(code, exit_code, out)
                self.wine.reg("add", user, "/v", "Version", "/d", machine["Version"], "/f")
        return self.layout()

    def remove(self, *switches):
        code, out, _ = self.wine.run(self.inspect, *(switches or ("/Remove",)))
        return code, out.decode("utf-8")


class ButtonLife(Users):
    def test_placement_and_removal_reach_every_user_once_per_event(self):
        self.install()
        self.become("ann")
        self.assertEqual(self.log_on(), PLACED)  # why 3: she had none of it before
        self.become("admin")
        self.install()  # a repair: Active Setup runs again, and adds nothing (why 4)
        self.become("ann")
        self.assertEqual(self.log_on(), PLACED)
        self.become("admin")
        self.assertEqual(self.remove()[0], 0)
        self.become("ann")
        self.assertEqual(self.log_on(), PLAIN)
        self.become("admin")
        self.install()  # again: the returning user gets the button back (why 3)
        self.become("ann")
        self.assertEqual(self.log_on(), PLACED)
        self.become("admin")
        self.assertEqual(self.log_on(), PLACED)
        self.scenario.import_registry("REGEDIT4\n\n[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorlinde]\n")
        self.assertEqual(self.remove()[0], 0)  # after the README's clean-up (why 5)
        self.assertEqual(self.layout(), PLAIN)
        self.become("ann")
        self.assertEqual(self.log_on(), PLAIN)

    def test_two_runs_at_once_fix_a_layout_once(self):
        self.scenario.import_registry("REGEDIT4\n" + "".join(
            button("{F%07X-0000-0000-0000-000000000000}" % i) for i in range(1000)))
        self.install()
        self.assertEqual(self.remove()[0], 0)
        stub = self.values(OWN)["StubPath"].strip('"')
        # A layout the install's placement reached, its removal not yet applied.
        reached = '[%s]\n"Stamp"="1,0,0,0"\n"InstallStamp"="%s"\n' % (
            NOTE, self.values(RECORD)["InstallStamp"])
        results = []
        for _ in range(10):  # why 2
            self.set_layout("07 00 00 00 10 01 00 00 11 01 00 00 12 01 00 00 13 01 00 00", reached)
            runs = [WINE.start(stub) for _ in range(2)]
            for run in runs:
                run.communicate(timeout=120)
            self.assertEqual([r.returncode for r in runs], [0, 0])
            results.append(self.layout())
        self.assertEqual(results, ["07 00 00 00 10 01 00 00 11 01 00 00 12 01 00 00"] * 10)

    def test_links_in_our_own_keys_are_never_followed(self):
        self.assertEqual(self.scenario.run(), (0, b"", b""))  # a hand run registers no agent
        self.scenario.import_registry("REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorlinde]\n")
        for link, exit_code in zip(LINKS, (1, 1, 0)):  # why 8, and a stopped removal (why 6)
            with self.subTest(link):
                plant_link(link, VICTIM)
                code, out = self.remove()
                self.assertEqual(code, exit_code, out)
                self.assertIn("link", out)
                self.assertEqual(self.values(MACHINE + "\\Victim\\Below"), {"StubPath": "victim"})
                self.assertEqual(self.values(MACHINE + "\\Victim"), {})
                plant_link(link)
        self.become("ann", PLACED)
        self.assertEqual(self.log_on(), PLAIN)

    def test_a_key_that_is_not_counted_shifts_no_one(self):
        layout = "07 00 00 00 10 01 00 00 11 01 00 00 12 01 00 00 13 01 00 00"
        self.scenario.import_registry("REGEDIT4\n" + button(KEY_GUID, icon=False))
        self.set_layout(layout)
        self.assertNotIn(b"<- this button", WINE.run(self.inspect)[1])
        code, out = self.remove()  # why 1
        self.assertEqual((code, self.layout()), (0, layout), out)
        self.assertIn("no other button's id changes", out)

    def test_words_and_the_exit_code(self):
        self.install()
        self.assertEqual(self.log_on(), PLACED)
        code, out = self.remove("/CheckMachine", "/Remove")  # why 10
        self.assertEqual(code, 2, out)
        self.assertIn("One switch at a time", out)
        self.scenario.import_registry('REGEDIT4\n\n[%s]\n"ButtonLayout"="text"\n' % BAR)
        code, out = self.remove()  # why 7: the machine's part is done, this user's is not
        self.assertEqual(code, 1, out)
        self.assertIn("left as it is: it is not binary", out)
        self.scenario.import_registry(
            "REGEDIT4\n" + button(A, clsid="dword:00000001") + button(KEY_GUID))
        code, out = self.remove()
        self.assertIn('the value "clsid" of HKEY_LOCAL_MACHINE\\%s\\%s is not text'
                      % (EXTENSIONS.split("\\", 1)[1], A), out)
        self.scenario.import_registry(
            "REGEDIT4\n%s\n[-%s\\%s]\n" % (button(A), EXTENSIONS, KEY_GUID))
        plant_link(LINKS[3], "\\REGISTRY\\MACHINE\\SOFTWARE\\Nowhere")
        code, out = self.remove()
        self.assertEqual(code, 0, out)
        self.assertNotIn("elevated", out)
        self.assertIn("Deleted the link itself", out)

    @unittest.skipUnless(WINE.windows64, "one registry view")
    def test_a_component_in_the_64_bit_view_is_unregistered_too(self):
        self.install()
        WINE.reg("add", OWN, "/v", "StubPath", "/d",
                 '"%s"' % WINE.windows_path(self.scenario.exe), "/f", bits=64)
        self.assertEqual(self.remove()[0], 0)  # why 9
        self.assertEqual(self.values(OWN, 64), {})


if __name__ == "__main__":
    unittest.main()
