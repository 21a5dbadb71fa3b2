"""One black-box scenario: a folder on the prefix's drive C: holding a copy of
the real executable, a registry state imported from a REGEDIT4 fixture, and a
run of the program between two snapshots of the browser's keys and the
folder's files."""
import os
import re
import shutil
import unittest
from dataclasses import dataclass

import reg_export
from wine import Wine

BROWSER_KEYS = (r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer",
                r"HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer")

# What an install or a removal keeps beyond the browser's keys: the removal's
# records, the machine's highest stamp and identity, and the Active Setup
# components (this machine's, named by that identity, and earlier versions')
# with each user's notes of them.
ACTIVE_SETUP = r"Software\Microsoft\Active Setup\Installed Components"
MACHINE_COMPONENTS = "HKEY_LOCAL_MACHINE\\" + ACTIVE_SETUP
# Every prefix plays the same machine: the reset gives it this identity.
MACHINE_IDENTITY = "{B0C5B0C5-0000-4000-8000-00000000B0C5}"
COMPONENT = "Vorlinde." + MACHINE_IDENTITY
DEPLOYMENT_KEYS = (r"HKEY_LOCAL_MACHINE\SOFTWARE\Vorlinde", r"HKEY_LOCAL_MACHINE\SOFTWARE\Vorlinde.Machine",
                   r"HKEY_CURRENT_USER\Software\Vorlinde",
                   r"HKEY_CURRENT_USER\Software\Classes\Local Settings\Software\Vorlinde",
                   *("%s\\%s\\%s" % (root, ACTIVE_SETUP, component)
                     for root in ("HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER")
                     for component in (COMPONENT, "Vorlinde", "Vorlinde.LayoutFixUp")))
# Every fixture starts from here: no extension keys, no command bar layout,
# no trace of an earlier install or removal; the browser's keys themselves
# there to be exported, even in a view that a new prefix left without them.
RESET = "REGEDIT4\n" + "".join("\n[-%s]\n" % key for key in (
    r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer\Extensions",
    r"HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\LowRegistry", *DEPLOYMENT_KEYS)) \
    + "".join("\n[%s]\n" % key for key in BROWSER_KEYS) \
    + '\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vorlinde.Machine]\n"Identity"="%s"\n' % MACHINE_IDENTITY

# The 32-bit prefix, or with VORLINDE_WINE_ARCH=win64 the 64-bit one, where
# the program runs under WOW64 and the registry has two views; with twin the
# 64-bit twin's prefix (VORLINDE_WINE_PREFIX of the windows64 build).
# A Wine in WoW64 mode (VORLINDE_WINE_WOW64_ONLY=1, the emulated machine)
# makes no 32-bit prefix: there every run is one in the 64-bit prefix.
ARCH = os.environ.get("VORLINDE_WINE_ARCH",
                      "win64" if os.environ.get("VORLINDE_WINE_WOW64_ONLY") == "1" else "win32")
WINE = Wine(os.environ["VORLINDE_WINE_PREFIX64" if ARCH == "win64" else "VORLINDE_WINE_PREFIX"],
            ARCH)
# The programs under test: the 32-bit ones, or their 64-bit twin, which stands
# for them on 64-bit Windows.
TWIN = ARCH == "twin"
EXE = os.environ["VORLINDE_EXE"]
SHOP_ICON = os.environ["VORLINDE_SHOP_ICON"]
# Where a removal puts the per-user program: the 32-bit program's Common Files.
COMMON_FILES_FOLDER = os.path.join(WINE.drive_c, "Program Files (x86)" if WINE.windows64
                                   else "Program Files", "Common Files", "Vorlinde")


@dataclass
class Snapshot:
    registry: dict  # reg_export.parse of both browser keys, merged
    files: dict     # name in the folder: its bytes, or None for a directory


@dataclass
class Outcome:
    before: Snapshot
    after: Snapshot

    def registry_changes(self):
        return reg_export.changes(self.before.registry, self.after.registry)

    def file_changes(self):
        old, new = self.before.files, self.after.files
        return ({("file added", n) for n in new.keys() - old.keys()}
                | {("file removed", n) for n in old.keys() - new.keys()}
                | {("file changed", n) for n in new.keys() & old.keys() if old[n] != new[n]})

    def value(self, key, name):
        return self.after.registry.get(key.lower(), {}).get(name)


def work_folder(name):
    """Where a scenario keeps its fixture and exports: beside its folder, so
    that they never show among the folder's files."""
    return os.path.join(WINE.drive_c, "bb-work", name)


# A "[-HKEY_LOCAL_MACHINE\SOFTWARE\..." line that does not name WOW6432Node.
MACHINE_SOFTWARE_DELETION = re.compile(
    r"^\[-(HKEY_LOCAL_MACHINE\\SOFTWARE)\\(?!WOW6432Node[\\\]])", re.IGNORECASE | re.MULTILINE)


def in_program_view(text):
    """`text` with each deletion of a key below HKLM\\SOFTWARE aimed at the
    view the import writes to. Wine's `reg import /reg:32` adds keys in the
    32-bit view but deletes "[-key]" in the 64-bit one, so in a 64-bit
    prefix such a line names the 32-bit view's own place, WOW6432Node."""
    if not WINE.windows64:
        return text
    return MACHINE_SOFTWARE_DELETION.sub(r"[-\1\\WOW6432Node\\", text)


def import_registry(work, text, wine=WINE, bits=32):
    """Imports the REGEDIT4 `text` through a file in the folder `work` (on
    the drive C: of `wine`'s prefix), in the view of the 32-bit program, or of
    a program of `bits`."""
    os.makedirs(work, exist_ok=True)
    path = os.path.join(work, "fixture.reg")
    text = in_program_view(text) if bits == 32 else text
    text = text.replace("\r\n", "\n").replace("\n", "\r\n")
    try:
        data = text.encode("cp1252")
    except UnicodeEncodeError:  # a name beyond the code page: the Unicode form
        data = b"\xff\xfe" + text.replace("REGEDIT4", "Windows Registry Editor Version 5.00",
                                          1).encode("utf-16-le")
    with open(path, "wb") as f:
        f.write(data)
    wine.reg("import", wine.windows_path(path), bits=bits)


def agent_component(work, bits=32, wine=WINE):
    """The name of the Active Setup component whose StubPath runs
    vorlinde-agent.exe, in the view of a program of `bits`; None when none
    does. Its name is the machine's own, so it is found, never spelled."""
    try:
        export = wine.export((MACHINE_COMPONENTS,), work, bits)[0]
    except RuntimeError:  # no components at all
        return None
    below = MACHINE_COMPONENTS.lower() + "\\"
    for path, values in reg_export.parse(export).items():
        stub = values.get("StubPath", (reg_export.REG_SZ, b""))[1]
        name = path[len(below):]
        if path.startswith(below) and "\\" not in name and b"vorlinde-agent.exe" in stub.lower():
            return name
    return None


def reset_prefix(fixture=""):
    """The prefix without anything an install or a removal left, then with
    `fixture`."""
    shutil.rmtree(COMMON_FILES_FOLDER, ignore_errors=True)
    import_registry(work_folder("reset"), RESET + fixture)


class Scenario:
    _cleanup_registered = False

    def __init__(self, name, fixture="", exe_name="vorlinde.exe"):
        self.folder = os.path.join(WINE.drive_c, "bb", name)
        self.work = work_folder(name)
        for path in (self.folder, self.work):
            shutil.rmtree(path, ignore_errors=True)
            os.makedirs(path)
        self.exe = os.path.join(self.folder, exe_name)
        shutil.copyfile(EXE, self.exe)
        shutil.copyfile(SHOP_ICON, os.path.join(self.folder, "shop.ico"))
        reset_prefix(fixture)
        # The tests that run next in the prefix, in any order, find it as
        # this module found it.
        if not Scenario._cleanup_registered:
            unittest.addModuleCleanup(reset_prefix)
            Scenario._cleanup_registered = True

    def add_program(self, path, name):
        """Copies another program into the folder; its path there."""
        target = os.path.join(self.folder, name)
        shutil.copyfile(path, target)
        return target

    def windows_folder(self):
        return WINE.windows_path(self.folder)

    def import_registry(self, text):
        import_registry(self.work, text)

    def snapshot(self, bits=32):
        """The browser's keys as a program of `bits` sees them, and the
        folder's files."""
        registry = {}
        for export in WINE.export(BROWSER_KEYS, self.work, bits):
            registry.update(reg_export.parse(export))
        files = {}
        for directory, subdirectories, names in os.walk(self.folder):
            for name in subdirectories + names:
                path = os.path.join(directory, name)
                relative = os.path.relpath(path, self.folder).replace(os.sep, "\\")
                if os.path.isdir(path):
                    files[relative] = None
                else:
                    with open(path, "rb") as f:
                        files[relative] = f.read()
        return Snapshot(registry, files)

    def run(self, *args, cwd=None):
        """(exit code, stdout, stderr) of the program started with `args`,
        which Wine quotes as needed, in the current directory `cwd`."""
        return WINE.run(WINE.windows_path(self.exe), *args, cwd=cwd)

    def run_command_line(self, tail):
        """Like run, but the command line after the program path is `tail`
        exactly as written, quotes included: a batch file hands it over."""
        batch = os.path.join(self.work, "run.bat")
        with open(batch, "wb") as f:
            f.write(('@"%s" %s\r\n@exit /b %%ERRORLEVEL%%\r\n'
                     % (WINE.windows_path(self.exe), tail)).encode("cp1252"))
        return WINE.run("cmd", "/c", WINE.windows_path(batch))


class BlackBoxTest(unittest.TestCase):
    maxDiff = None

    def run_silently(self, scenario, *args, command_line=None, runs=1):
        """Runs the program between two snapshots; every run must end with
        exit code 0 and print nothing."""
        before = scenario.snapshot()
        for _ in range(runs):
            if command_line is None:
                code, out, err = scenario.run(*args)
            else:
                code, out, err = scenario.run_command_line(command_line)
            self.assertEqual((code, out, err), (0, b"", b""))
        return Outcome(before, scenario.snapshot())

    def assertChanges(self, outcome, registry=frozenset(), files=frozenset()):
        self.assertEqual(outcome.registry_changes(), set(registry))
        self.assertEqual(outcome.file_changes(), set(files))
