"""The switches of the real vorlinde.exe under Wine: the two files beside the
program, byte for byte; the URL handed to the handler registered for http;
and command lines that are no switch at all, which run the install mode."""
import os
import unittest
from dataclasses import dataclass, field

from button import CAPTION, COMMAND_BAR, EXTENSIONS, LOW_REGISTRY, OWN_KEY, SEVEN_VALUES, URL
from scenario import Scenario, work_folder
from url_handler import RECORDER_WAIT_SECONDS, RecordingHandlerTest, recorded

SHORTCUT = b"[InternetShortcut]\r\nURL=" + URL + b"\r\n"
CAPTION_LINE = CAPTION + b"\r\n"

INSTALL_CHANGES = ({("key added", EXTENSIONS), ("key added", OWN_KEY),
                    ("key added", LOW_REGISTRY), ("key added", COMMAND_BAR),
                    ("value set", COMMAND_BAR, "ButtonLayout")}
                   | {("value set", OWN_KEY, name) for name in SEVEN_VALUES})

# How long a handler that should not run is given to show up all the same.
NO_LAUNCH_WAIT_SECONDS = 0.5


@dataclass
class Case:
    name: str
    args: tuple = ()
    command_line: str = None  # instead of args: the text after the program path, as is
    exe: str = "vorlinde.exe"
    before: dict = field(default_factory=dict)  # files put into the folder first; None: a directory
    after: dict = field(default_factory=dict)   # the folder afterwards, program and icon aside
    installs: bool = False
    opens_url: bool = False


CASES = [
    Case("/SaveAllToFile", ("/SaveAllToFile",),
         after={"vorlinde_Button.url": SHORTCUT, "vorlinde_TextAndHint.txt": CAPTION_LINE}),
    Case("/SaveUrlToFile", ("/SaveUrlToFile",), after={"vorlinde_Button.url": SHORTCUT}),
    Case("-saveurltofile", ("-saveurltofile",), after={"vorlinde_Button.url": SHORTCUT}),
    Case("-SAVEALLTOFILE", ("-SAVEALLTOFILE",),
         after={"vorlinde_Button.url": SHORTCUT, "vorlinde_TextAndHint.txt": CAPTION_LINE}),
    Case("renamed with two dots", ("/SaveAllToFile",), exe="install.new.exe",
         after={"install.new_Button.url": SHORTCUT, "install.new_TextAndHint.txt": CAPTION_LINE}),
    Case("renamed, save-URL", ("/SaveUrlToFile",), exe="Setup.exe",
         after={"Setup_Button.url": SHORTCUT}),
    Case("/OpenUrl /SaveAllToFile is save-all", ("/OpenUrl", "/SaveAllToFile"),
         after={"vorlinde_Button.url": SHORTCUT, "vorlinde_TextAndHint.txt": CAPTION_LINE}),
    Case("/OpenUrl -SaveUrlToFile is save-URL", ("/OpenUrl", "-SaveUrlToFile"),
         after={"vorlinde_Button.url": SHORTCUT}),
    Case("/SaveUrlToFile /SaveAllToFile is save-all", ("/SaveUrlToFile", "/SaveAllToFile"),
         after={"vorlinde_Button.url": SHORTCUT, "vorlinde_TextAndHint.txt": CAPTION_LINE}),
    Case("switch in double quotes", command_line='"/SaveUrlToFile"',
         after={"vorlinde_Button.url": SHORTCUT}),
    Case("only the name in double quotes", command_line='/"SaveUrlToFile"',
         after={"vorlinde_Button.url": SHORTCUT}),
    Case("other arguments around the switch", command_line="foo /quiet /SaveUrlToFile bar",
         after={"vorlinde_Button.url": SHORTCUT}),
    Case("save-URL leaves the caption file alone", ("/SaveUrlToFile",),
         before={"vorlinde_TextAndHint.txt": b"old caption\r\n"},
         after={"vorlinde_Button.url": SHORTCUT, "vorlinde_TextAndHint.txt": b"old caption\r\n"}),
    Case("a longer shortcut file is replaced whole", ("/SaveUrlToFile",),
         before={"vorlinde_Button.url": b"x" * 300},
         after={"vorlinde_Button.url": SHORTCUT}),
    Case("a directory in the shortcut's place: no caption file follows", ("/SaveAllToFile",),
         before={"vorlinde_Button.url": None}, after={"vorlinde_Button.url": None}),
    Case("/OpenUrl", ("/OpenUrl",), opens_url=True),
    Case("-OPENURL", ("-OPENURL",), opens_url=True),
    Case("no switch: install", (), installs=True),
    Case("/quiet is no switch: install", ("/quiet",), installs=True),
    Case("no prefix: install", ("SaveAllToFile",), installs=True),
    Case("doubled prefix: install", ("--SaveAllToFile",), installs=True),
    Case("something after the name: install", ("/SaveAllToFile:1",), installs=True),
    Case("name split in two: install", command_line="/Save AllToFile", installs=True),
]


class Switches(RecordingHandlerTest):
    def prepare(self, scenario, files):
        for name, content in files.items():
            path = os.path.join(scenario.folder, name)
            if content is None:
                os.mkdir(path)
            else:
                with open(path, "wb") as f:
                    f.write(content)

    def check(self, case):
        record = os.path.join(work_folder("switches"), "urls.txt")
        scenario = Scenario("switches", exe_name=case.exe)
        expected_record = self.handler.install(record)
        self.prepare(scenario, case.before)
        outcome = self.run_silently(scenario, *case.args, command_line=case.command_line)

        self.assertEqual(outcome.registry_changes(), INSTALL_CHANGES if case.installs else set())
        files = {n: c for n, c in outcome.after.files.items() if n not in (case.exe, "shop.ico")}
        self.assertEqual(files, case.after)

        args = case.args if case.command_line is None else (case.command_line,)
        if case.opens_url:
            self.assertEqual(recorded(record, RECORDER_WAIT_SECONDS), expected_record)
        else:
            mentions_open = any("openurl" in a.lower() for a in args)
            self.assertIsNone(recorded(record, NO_LAUNCH_WAIT_SECONDS if mentions_open else 0))

    def test_cases(self):
        for case in CASES:
            with self.subTest(case.name):
                self.check(case)


if __name__ == "__main__":
    unittest.main()
