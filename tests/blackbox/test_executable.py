"""The shipped executables' properties, read from the files themselves."""
import os
import unittest
from xml.etree import ElementTree

import icon_file
import pe_file

MACHINE_I386 = 0x14C
SUBSYSTEM_WINDOWS_GUI = 2
SUBSYSTEM_WINDOWS_CUI = 3
LANGUAGE_GERMAN = 0x0407
MANIFEST_RESOURCE_ID = 1  # the one Windows reads when it starts a program
ASSEMBLY = "{urn:schemas-microsoft-com:asm.v1}"
WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
SYSTEM_DLLS = {"kernel32.dll", "advapi32.dll", "user32.dll", "shell32.dll", "msvcrt.dll"}
# What every run needs; the registry's DLL and the shell are loaded from the
# system directory by the run that needs them.
PROGRAM_IMPORTS = {"kernel32.dll", "msvcrt.dll"}
PROGRAM_MAX_BYTES = 128 * 1024
INSPECTOR_MAX_BYTES = 256 * 1024
IMAGE_FILE_RELOCS_STRIPPED = 0x0001
DIRECTORY_BASE_RELOCATION = 5


def executable(variable):
    return pe_file.read(os.environ[variable])


class ProgramHeaders(unittest.TestCase):
    def setUp(self):
        self.pe = executable("VORLINDE_EXE")

    def test_is_a_32_bit_windowed_program(self):
        self.assertEqual(self.pe.machine, MACHINE_I386)
        self.assertEqual(self.pe.subsystem, SUBSYSTEM_WINDOWS_GUI)

    def test_asks_for_aslr_and_dep_and_keeps_its_relocations(self):
        for flag in (pe_file.DLL_CHARACTERISTICS_DYNAMIC_BASE,
                     pe_file.DLL_CHARACTERISTICS_NX_COMPAT):
            with self.subTest(flag=hex(flag)):
                self.assertTrue(self.pe.dll_characteristics & flag)
        self.assertFalse(self.pe.characteristics & IMAGE_FILE_RELOCS_STRIPPED)
        self.assertGreater(self.pe.directory(DIRECTORY_BASE_RELOCATION)[1], 0)

    def test_imports_only_what_every_run_needs(self):
        self.assertEqual({name.lower() for name in self.pe.imported_dlls()}, PROGRAM_IMPORTS)

    def test_is_at_most_128_kib(self):
        self.assertLessEqual(len(self.pe.data), PROGRAM_MAX_BYTES)


class InspectorHeaders(unittest.TestCase):
    def setUp(self):
        self.pe = executable("VORLINDE_INSPECT_EXE")

    def test_is_a_32_bit_console_program(self):
        self.assertEqual(self.pe.machine, MACHINE_I386)
        self.assertEqual(self.pe.subsystem, SUBSYSTEM_WINDOWS_CUI)

    def test_imports_only_system_dlls(self):
        self.assertLessEqual({name.lower() for name in self.pe.imported_dlls()}, SYSTEM_DLLS)

    def test_is_at_most_256_kib(self):
        self.assertLessEqual(len(self.pe.data), INSPECTOR_MAX_BYTES)

    def test_its_manifest_runs_it_as_invoker_on_the_systems_it_names(self):
        """asInvoker turns registry virtualization off: the inspector reads
        what the browser reads (vorlinde.exe asks for no level, see below)."""
        manifests = [r for r in self.pe.resources() if r.type == pe_file.RT_MANIFEST]
        self.assertEqual([m.name for m in manifests], [MANIFEST_RESOURCE_ID])
        root = ElementTree.fromstring(manifests[0].data)
        levels = [e.attrib for e in root.iter(
            "{urn:schemas-microsoft-com:asm.v3}requestedExecutionLevel")]
        self.assertEqual(levels, [{"level": "asInvoker", "uiAccess": "false"}])
        systems = [e.get("Id") for e in root.iter(
            "{urn:schemas-microsoft-com:compatibility.v1}supportedOS")]
        self.assertIn(WINDOWS_10_AND_11, systems)


class ToolManifests(unittest.TestCase):
    def test_each_names_the_program_itself(self):
        for variable, identity in (("VORLINDE_INSPECT_EXE", "Vorlinde.Inspect"),
                                   ("VORLINDE_AGENT_EXE", "Vorlinde.Agent")):
            manifest = [r for r in executable(variable).resources()
                        if r.type == pe_file.RT_MANIFEST and r.name == MANIFEST_RESOURCE_ID]
            root = ElementTree.fromstring(manifest[0].data)
            self.assertEqual((root.find(ASSEMBLY + "assemblyIdentity").get("name"),
                              root.findtext(ASSEMBLY + "description")),
                             (identity, os.path.basename(os.environ[variable])[:-4]))

class ProgramResources(unittest.TestCase):
    def setUp(self):
        self.resources = executable("VORLINDE_EXE").resources()

    def of_type(self, kind):
        return [r for r in self.resources if r.type == kind]

    def test_holds_icons_and_a_manifest_only(self):
        self.assertEqual({r.type for r in self.resources},
                         {pe_file.RT_ICON, pe_file.RT_GROUP_ICON, pe_file.RT_MANIFEST})
        self.assertEqual(self.of_type(pe_file.RT_VERSION), [])

    def test_its_manifest_names_the_program_and_nothing_else(self):
        """Embedded, it keeps the loader from reading a manifest file planted
        beside the program. An execution level would end the virtualization
        of its writes; a dependency, a file or a supported system would
        change what it loads or how the system treats it."""
        manifests = self.of_type(pe_file.RT_MANIFEST)
        self.assertEqual([m.name for m in manifests], [MANIFEST_RESOURCE_ID])
        root = ElementTree.fromstring(manifests[0].data)
        self.assertEqual([element.tag for element in root.iter()],
                         [ASSEMBLY + "assembly", ASSEMBLY + "assemblyIdentity"])

    def test_one_german_icon_group_named_mainicon(self):
        groups = self.of_type(pe_file.RT_GROUP_ICON)
        self.assertEqual([(g.name, g.language) for g in groups], [("MAINICON", LANGUAGE_GERMAN)])

    def test_the_group_holds_one_16x16_image_of_256_colours(self):
        group = self.of_type(pe_file.RT_GROUP_ICON)[0]
        entries = icon_file.parse_icon_group(group.data)
        self.assertEqual([(e.width, e.height, e.bits_per_pixel) for e in entries], [(16, 16, 8)])
        icons = [r for r in self.of_type(pe_file.RT_ICON) if r.name == entries[0].icon_id]
        self.assertEqual([i.language for i in icons], [LANGUAGE_GERMAN])
        self.assertEqual(len(icons[0].data), entries[0].byte_count)
        image = icon_file.parse_bitmap(icons[0].data, 16, 16)
        self.assertEqual((image.bits_per_pixel, image.colours), (8, 256))
        self.assertEqual(len(self.of_type(pe_file.RT_ICON)), 1)


if __name__ == "__main__":
    unittest.main()
