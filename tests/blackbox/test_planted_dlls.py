"""DLLs planted beside the program and in the current directory, under the
names of the DLLs that the system loads for the program and for the shell:
no mode loads any of them. Loaded, each would leave a marker file beside
itself (PlantedDll.c), naming the program that loaded it."""
import glob
import os
import shutil
import unittest

from scenario import Scenario, work_folder
from url_handler import RECORDER_WAIT_SECONDS, RecordingHandlerTest, recorded

PLANTED_NAMES = ("shell32", "shcore", "shlwapi", "user32", "gdi32", "imm32", "win32u", "version",
                 "zlib1", "uxtheme", "propsys", "comctl32", "ole32", "combase", "sechost",
                 "rpcrt4", "ucrtbase")
# The last one holds a byte above 0x7F in the code page, so USER32 is loaded
# to step through the command line.
MODES = ((), ("/SaveAllToFile",), ("/SaveUrlToFile",), ("/OpenUrl",),
         ("/SaveUrlToFile", "B\u00fccher"))


def plant(folder):
    for name in PLANTED_NAMES:
        shutil.copyfile(os.environ["VORLINDE_PLANTED_DLL"], os.path.join(folder, name + ".dll"))


def markers(*folders):
    """Each marker's file name: the programs that loaded its DLL."""
    found = {}
    for folder in folders:
        for path in glob.glob(os.path.join(folder, "*.loaded")):
            with open(path, "rb") as f:
                found[os.path.basename(path)] = f.read().decode("cp1252")
    return found


class PlantedDlls(RecordingHandlerTest):
    def check(self, args):
        record = os.path.join(work_folder("planted"), "urls.txt")
        fixture, expected_record = self.handler.fixture(record)
        scenario = Scenario("planted", fixture)
        current = os.path.join(scenario.work, "current")
        os.makedirs(current)
        plant(scenario.folder)
        plant(current)

        self.assertEqual(scenario.run(*args, cwd=current), (0, b"", b""))
        if "/OpenUrl" in args:
            # Once the handler has the URL, it and the shell have loaded all they load.
            self.assertEqual(recorded(record, RECORDER_WAIT_SECONDS), expected_record)
        self.assertEqual(markers(scenario.folder, current), {})

    def test_no_mode_loads_a_planted_dll(self):
        for args in MODES:
            with self.subTest(mode=" ".join(args) or "install"):
                self.check(args)


if __name__ == "__main__":
    unittest.main()
