"""Files planted by someone who can write to the download folder: DLLs beside
the programs and in the current directory, under the names of the DLLs the
system loads for them and for the shell; and a manifest file beside each
program that sends its loads to a folder of such DLLs. No mode of any
shipped program loads any of them. Wine is told to prefer a planted file
wherever its search finds one (native first), and a careless control
program shows that the cases fail then. Loaded, a planted DLL leaves a marker file beside
itself (PlantedDll.c), naming the program that loaded it."""
import glob
import os
import shutil
import unittest

from scenario import WINE, Scenario, work_folder
from url_handler import RECORDER_WAIT_SECONDS, RecordingHandlerTest, recorded
from wine import Wine

PLANTED_NAMES = ("shell32", "shcore", "shlwapi", "user32", "gdi32", "imm32", "win32u", "version",
                 "zlib1", "uxtheme", "propsys", "comctl32", "ole32", "combase", "rpcrt4",
                 "oleaut32", "advapi32", "sechost", "ucrtbase")
# Left out: what the loader resolves for every program before its first
# instruction, which Windows takes from its KnownDLLs list, never from the
# program's folder. Native first under Wine, each would be taken from there
# whatever the program does:
#   kernel32, kernelbase - the process's own start; planted, the process
#                          does not even start (no BaseThreadInitThunk);
#   msvcrt               - imported by every program.
# ntdll is Wine's own in every case, mapped before anything else.
NATIVE_FIRST = Wine(WINE.prefix, WINE.arch)
NATIVE_FIRST.env["WINEDLLOVERRIDES"] += ";%s=n,b" % ",".join(PLANTED_NAMES)

PROGRAMS = {"vorlinde.exe": "VORLINDE_EXE", "vorlinde-inspect.exe": "VORLINDE_INSPECT_EXE",
            "vorlinde-agent.exe": "VORLINDE_AGENT_EXE", "careless.exe": "VORLINDE_CARELESS_EXE"}
UMLAUT = "B\u00fccher"  # beyond ASCII: the command line's split loads nothing
# (program, mode arguments): every mode of the shipped programs.
RUNS = (("vorlinde.exe", ()), ("vorlinde.exe", ("/SaveAllToFile",)),
        ("vorlinde.exe", ("/SaveUrlToFile",)), ("vorlinde.exe", ("/OpenUrl",)),
        ("vorlinde.exe", ("/SaveUrlToFile", UMLAUT)), ("vorlinde.exe", (UMLAUT,)),
        ("vorlinde-inspect.exe", ()), ("vorlinde-inspect.exe", ("/CheckMachine",)),
        ("vorlinde-inspect.exe", ("/Remove",)), ("vorlinde-inspect.exe", ("/FixLayout",)),
        ("vorlinde-inspect.exe", ("/RemoveVirtualized",)), ("vorlinde-inspect.exe", ("/?",)),
        ("vorlinde-inspect.exe", (UMLAUT,)), ("vorlinde-agent.exe", ()))

ASSEMBLY = "Planted"  # a private assembly: a folder beside the program
IDENTITY = ('<assemblyIdentity type="win32" name="%s" version="1.0.0.0" '
            'processorArchitecture="x86"/>')
MANIFEST = ('<assembly xmlns="urn:schemas-microsoft-com:asm.v1" manifestVersion="1.0">'
            '%s%s</assembly>')


def plant_dlls(folder, *more):
    for target in (folder,) + more:
        for name in PLANTED_NAMES:
            shutil.copyfile(os.environ["VORLINDE_PLANTED_DLL"], os.path.join(target, name + ".dll"))


def beside_and_in_current_directory(folder, current, program):
    plant_dlls(folder, current)


def manifest_and_assembly(folder, current, program):
    """The program's manifest file, naming the assembly whose manifest lists
    every planted DLL as its own file."""
    assembly = os.path.join(folder, ASSEMBLY)
    os.makedirs(assembly)
    plant_dlls(assembly)
    dependency = "<dependency><dependentAssembly>%s</dependentAssembly></dependency>" % (
        IDENTITY % ASSEMBLY)
    files = "".join('<file name="%s.dll"/>' % name for name in PLANTED_NAMES)
    for path, name, content in ((os.path.join(folder, program + ".manifest"), program, dependency),
                                (os.path.join(assembly, ASSEMBLY + ".manifest"), ASSEMBLY, files)):
        with open(path, "w") as f:
            f.write(MANIFEST % (IDENTITY % name, content))


def markers(*folders):
    """Each marker's file name, in lower case: the programs that loaded its DLL."""
    found = {}
    for folder in folders:
        for path in glob.glob(os.path.join(folder, "**", "*.loaded"), recursive=True):
            with open(path, "rb") as f:
                found[os.path.basename(path).lower()] = f.read().decode("cp1252")
    return found


class PlantedFiles(RecordingHandlerTest):
    def markers_after(self, plant, program, args):
        """The markers that one run of `program` leaves, with `plant` done."""
        record = os.path.join(work_folder("planted"), "urls.txt")
        scenario = Scenario("planted")
        expected_record = self.handler.install(record)
        path = scenario.add_program(os.environ[PROGRAMS[program]], program)
        current = os.path.join(scenario.work, "current")
        os.makedirs(current)
        plant(scenario.folder, current, program)

        code, _, err = NATIVE_FIRST.run(WINE.windows_path(path), *args, cwd=current)
        # Once the handler has the URL, it and the shell have loaded all they load.
        url = recorded(record, RECORDER_WAIT_SECONDS) if "/OpenUrl" in args else None
        found = markers(scenario.folder, current)
        self.assertEqual(err, b"", found)
        # The inspector's 1 names a problem it found, its 2 an argument it does not know.
        self.assertIn(code, (0, 1, 2), found)
        self.assertEqual(url, expected_record if "/OpenUrl" in args else None, found)
        return found

    def check_every_run(self, plant):
        for program, args in RUNS:
            with self.subTest(program=program, mode=" ".join(args) or "no switch"):
                self.assertEqual(self.markers_after(plant, program, args), {})

    def test_no_mode_loads_a_dll_planted_beside_it_or_in_the_current_directory(self):
        self.check_every_run(beside_and_in_current_directory)

    def test_no_mode_follows_a_manifest_file_planted_beside_it(self):
        self.check_every_run(manifest_and_assembly)

    def test_both_cases_catch_a_careless_program(self):
        for plant in (beside_and_in_current_directory, manifest_and_assembly):
            with self.subTest(plant.__name__):
                self.assertEqual(set(self.markers_after(plant, "careless.exe", ())),
                                 {"version.dll.loaded", "uxtheme.dll.loaded"})


if __name__ == "__main__":
    unittest.main()
