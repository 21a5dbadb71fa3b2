"""The ZIP a user unpacks and the Windows Installer package, made by CPack
from the build tree, and the SHA256SUMS beside them; signed when a
certificate is given; nothing of them when a step fails."""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
import zipfile

import icon_file
import pe_file
from button import KEY_GUID

EXTENSIONS_KEY = r"SOFTWARE\Microsoft\Internet Explorer\Extensions"

BUILD = os.environ["VORLINDE_BUILD_DIR"]
SEAL = os.path.join(os.path.dirname(__file__), "..", "..", "cmake", "seal_package.py")
PROGRAMS = {"vorlinde.exe": "VORLINDE_EXE", "vorlinde-inspect.exe": "VORLINDE_INSPECT_EXE",
            "vorlinde-agent.exe": "VORLINDE_AGENT_EXE"}
SIGNING = ("VORLINDE_SIGN_CERT", "VORLINDE_SIGN_KEY", "VORLINDE_SIGN_PKCS12",
           "VORLINDE_SIGN_PASSWORD_FILE", "VORLINDE_SIGN_TIMESTAMP_URL")
# Custom action types: a property set (51); a function of the package's own
# DLL (1) run in the install script (0x400), as the installer rather than the
# user (0x800), and either failing the run or, on rollback (0x100), its exit
# code ignored (0x40). The DLL's function is named as the action.
CUSTOM_ACTIONS = {"UseRememberedFolder": (51, "[REMEMBEREDDIR]"),
                  "SetInstallLocation": (51, "[INSTALLDIR]"),
                  "RegisterMachinePart.Data": (51, "[INSTALLDIR]"),
                  "RemoveMachinePart": (3073, "RemoveMachinePart"),
                  "UndoMachinePart": (3393, "UndoMachinePart"),
                  "RegisterMachinePart": (3073, "RegisterMachinePart")}
IN_SCRIPT = 0x400


def table(msi, name):
    """{first column: the other columns} of a table, as msiinfo exports it."""
    lines = subprocess.run(["msiinfo", "export", msi, name], check=True, capture_output=True,
                           text=True).stdout.splitlines()
    return {row[0]: row[1:] for row in (line.split("\t") for line in lines[3:])}


def run_cpack(output, settings=None):
    """Packages into `output` with the {variable: value} given added to the
    environment (signing, package date); the finished process."""
    env = {k: v for k, v in os.environ.items() if k not in SIGNING + ("SOURCE_DATE_EPOCH",)}
    env.update(settings or {})
    return subprocess.run([os.environ["VORLINDE_CPACK"], "--config",
                           os.path.join(BUILD, "CPackConfig.cmake"), "-B", output],
                          capture_output=True, text=True, env=env)


def make_package(output, settings=None):
    """Packages into `output`; the ZIP's name and the open ZIP."""
    result = run_cpack(output, settings)
    if result.returncode != 0:
        raise AssertionError("cpack failed:\n" + result.stdout + result.stderr)
    names = [n for n in os.listdir(output) if n.endswith(".zip")]
    if len(names) != 1:
        raise AssertionError("expected one ZIP, found %s" % names)
    return names[0], zipfile.ZipFile(os.path.join(output, names[0]))


def make_certificate(folder, name, usage="codeSigning"):
    """A throwaway self-signed certificate for `usage` and its key, as PEM
    files; the paths."""
    cert, key = (os.path.join(folder, name + suffix) for suffix in ("-cert.pem", "-key.pem"))
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                    "-subj", "/CN=Vorlinde test publisher", "-keyout", key, "-out", cert,
                    "-addext", "extendedKeyUsage=" + usage], check=True, capture_output=True)
    return cert, key


class Package(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.output = os.path.join(BUILD, "blackbox-package")
        cls.name, cls.zip = make_package(cls.output)

    def test_is_named_after_the_version_and_platform(self):
        self.assertRegex(self.name, r"^vorlinde-\d+\.\d+\.\d+-win32\.zip$")

    def test_holds_exactly_the_programs_the_icon_and_the_readme_in_name_order(self):
        self.assertEqual(self.zip.namelist(),
                         ["LIESMICH.txt", "README.txt", "shop.ico", "vorlinde-agent.exe",
                          "vorlinde-inspect.exe", "vorlinde.exe"])

    def test_the_programs_are_the_ones_built_unsigned(self):
        for name, variable in PROGRAMS.items():
            with self.subTest(name), open(os.environ[variable], "rb") as f:
                self.assertEqual(self.zip.read(name), f.read())

    def test_sha256sums_names_the_zip_and_the_installer_package_with_their_hashes(self):
        msi = self.name.replace("-win32.zip", ".msi")
        lines = ""
        for name in (self.name, msi):
            with open(os.path.join(self.output, name), "rb") as f:
                lines += "%s  %s\n" % (hashlib.sha256(f.read()).hexdigest(), name)
        with open(os.path.join(self.output, "SHA256SUMS"), "rb") as f:
            self.assertEqual(f.read(), lines.encode())

    def test_installer_runs_each_custom_action_it_names_inside_the_install_script(self):
        msi = os.path.join(self.output, self.name.replace("-win32.zip", ".msi"))
        sequence = table(msi, "InstallExecuteSequence")
        at = {action: int(row[1]) for action, row in sequence.items()}
        actions = table(msi, "CustomAction")
        self.assertEqual({a: (int(row[0]), row[2]) for a, row in actions.items()}, CUSTOM_ACTIONS)
        for action, (kind, origin, _, _) in actions.items():
            self.assertIn(origin, ("PackageActions", "INSTALLDIR", "ARPINSTALLLOCATION",
                                   "RegisterMachinePart"), action)
            first = at["InstallInitialize"] if int(kind) & IN_SCRIPT else 0
            self.assertTrue(first < at[action] < at["InstallFinalize"], action)
        # The old version's removal, then the uninstall's, before anything is
        # unregistered or deleted; the machine part after every file is in.
        self.assertEqual(sorted(("InstallInitialize", "RemoveExistingProducts", "RemoveMachinePart",
                                 "ProcessComponents", "PublishProduct", "UndoMachinePart",
                                 "RegisterMachinePart", "InstallFinalize"), key=at.get),
                         ["InstallInitialize", "RemoveExistingProducts", "RemoveMachinePart",
                          "ProcessComponents", "PublishProduct", "UndoMachinePart",
                          "RegisterMachinePart", "InstallFinalize"])
        self.assertEqual(at["RemoveExistingProducts"], at["InstallInitialize"] + 1)
        self.assertEqual(sequence["RemoveMachinePart"][0], "$Program=2 AND NOT UPGRADINGPRODUCTCODE")
        self.assertEqual(sequence["UndoMachinePart"][0],
                         "$Program=3 AND (NOT Installed OR REINSTALL) AND NOT BUTTONKEYFOUND")
        self.assertEqual(table(msi, "LaunchCondition")["Privileged AND ALLUSERS=1"][0][:27],
                         "Vorlinde installs for every")
        # The searches made before any change: the button's key, and the
        # folder the package itself remembers.
        searches = table(msi, "RegLocator")
        self.assertEqual({p: searches[s][:3] for p, (s, ) in table(msi, "AppSearch").items()},
                         {"BUTTONKEYFOUND": ["2", EXTENSIONS_KEY + "\\" + KEY_GUID, "ButtonText"],
                          "REMEMBEREDDIR": ["2", "SOFTWARE\\Vorlinde", "InstallDir"]})
        self.assertIn(["2", "SOFTWARE\\Vorlinde", "InstallDir", "[INSTALLDIR]", "InstallFolder"],
                      table(msi, "Registry").values())

    def test_installer_carries_its_actions_in_a_dll_that_loads_system_dlls_only(self):
        msi = os.path.join(self.output, self.name.replace("-win32.zip", ".msi"))
        dll = subprocess.run(["msiinfo", "extract", msi, "Binary.PackageActions"], check=True,
                             capture_output=True).stdout
        with open(os.environ["VORLINDE_PACKAGE_ACTIONS"], "rb") as f:
            self.assertEqual(dll, f.read())
        self.assertEqual({n.lower() for n in pe_file.PeFile(dll).imported_dlls()},
                         {"kernel32.dll", "msvcrt.dll"})

    def test_tools_carry_the_projects_version_and_the_package_names_it(self):
        version = self.name.split("-")[1] + ".0"
        msi = os.path.join(self.output, self.name.replace("-win32.zip", ".msi"))
        dll = subprocess.run(["msiinfo", "extract", msi, "Binary.PackageActions"], check=True,
                             capture_output=True).stdout
        files = {row[1].split("|")[-1]: row[3:5] for row in table(msi, "File").values()}
        # name, bytes, whether it carries a version resource and the shop's icon
        cases = [("vorlinde.exe", self.zip.read("vorlinde.exe"), False, False),
                 ("vorlinde-inspect.exe", self.zip.read("vorlinde-inspect.exe"), True, True),
                 ("vorlinde-agent.exe", self.zip.read("vorlinde-agent.exe"), True, True),
                 ("vorlinde-package-actions.dll", dll, True, False)]
        for name, data, versioned, shop_icon in cases:
            with self.subTest(name):
                resources = pe_file.PeFile(data).resources()
                kinds = [r.type for r in resources]
                for manifest in (r.data for r in resources if r.type == pe_file.RT_MANIFEST):
                    self.assertIn(b' version="%s"' % version.encode(), manifest)
                self.assertEqual(kinds.count(pe_file.RT_VERSION), int(versioned))
                if name in files:  # the DLL is in the Binary table
                    self.assertEqual(files[name], [version, "1033"] if versioned else ["", ""])
                if shop_icon:
                    self.assertIn(pe_file.RT_GROUP_ICON, kinds)
                if not versioned:
                    continue
                fixed, strings = pe_file.version_info(
                    resources[kinds.index(pe_file.RT_VERSION)].data)
                self.assertEqual(fixed, [version, version])
                self.assertLessEqual({"CompanyName": "Vorlinde", "ProductName": "Vorlinde",
                                      "FileVersion": version, "ProductVersion": version,
                                      "OriginalFilename": name}.items(), strings.items())
                self.assertTrue(strings["FileDescription"].startswith("Vorlinde "))
        properties = {k: v[0] for k, v in table(msi, "Property").items()}
        self.assertEqual(properties["ARPPRODUCTICON"], "vorlinde.ico")
        for link in ("ARPHELPLINK", "ARPURLINFOABOUT"):
            self.assertRegex(properties[link], r"^https://www\.vorlinde\.example/")
        self.assertIn("Internet Explorer", properties["ARPCOMMENTS"])
        self.assertIn(properties["ProductCode"].encode(), self.zip.read("README.txt"))

    def test_the_guides_name_the_programs_switches_and_the_packages_files(self):
        msi = os.path.join(self.output, self.name.replace("-win32.zip", ".msi"))
        # vorlinde.exe holds each switch's name as a text; the inspector
        # lists its switches in its usage.
        program = self.zip.read("vorlinde.exe")
        inspector = {n.decode() for n in re.findall(rb"\n  /(\w+) ",
                                                    self.zip.read("vorlinde-inspect.exe"))}
        switches = {"vorlinde.exe": lambda name: re.search(rb"(?<!\w)%s\0" % name.encode(),
                                                           program),
                    "vorlinde-inspect.exe": lambda name: name in inspector}
        shipped = sorted(self.zip.namelist())
        self.assertEqual(len(table(msi, "File")), len(shipped))
        numbers = {"five": 5, "six": 6, "seven": 7, "f\xfcnf": 5, "sechs": 6, "sieben": 7}
        with open(os.path.join(os.environ["VORLINDE_SOURCE_DIR"], "README.md")) as f:
            # guide, its text, whether it lists the files one per line
            guides = [("README.txt", self.zip.read("README.txt").decode("ascii"), True),
                      ("LIESMICH.txt", self.zip.read("LIESMICH.txt").decode("utf-8-sig"), True),
                      ("README.md", f.read(), False)]
        for name, text, lists in guides:
            with self.subTest(name):
                named = re.findall(r"(?<![\w.\\/:])(?:(vorlinde(?:-inspect)?\.exe)\"? )?/([A-Z]\w*)",
                                   text)
                for owner, switch in named:
                    self.assertTrue(any(known(switch) for tool, known in switches.items()
                                        if owner in ("", tool)), (owner, switch))
                counts = [numbers[w] for w in re.findall(r"(\w+) (?:files|Dateien)\b", text)
                          if w in numbers]
                self.assertEqual(set(counts), {len(shipped)})
                if lists:
                    self.assertEqual(sorted(set(re.findall(
                        r"(?m)^  ([\w-]+\.(?:exe|ico|txt)) ", text))), shipped)

    def test_shop_icon_holds_the_toolbar_sizes(self):
        images = icon_file.parse_icon_file(self.zip.read("shop.ico"))
        sizes = [(i.width, i.height) for i in images]
        for size in (16, 20, 24, 32):
            with self.subTest(size=size):
                self.assertIn((size, size), sizes)

    def test_a_source_without_commit_time_gets_1980_and_says_so_in_one_line(self):
        with tempfile.TemporaryDirectory() as folder:
            copy = os.path.join(folder, self.name)
            shutil.copyfile(os.path.join(self.output, self.name), copy)
            env = {k: v for k, v in os.environ.items() if k not in SIGNING + ("SOURCE_DATE_EPOCH",)}
            result = subprocess.run([sys.executable, SEAL, copy, folder, folder],
                                    capture_output=True, text=True, env=env)
            self.assertEqual((result.returncode, len(result.stderr.splitlines())), (0, 1))
            self.assertIn("entries carry 1980-01-01 00:00:00 UTC; to compare with a build of the "
                          "commit, set SOURCE_DATE_EPOCH", result.stderr)
            with zipfile.ZipFile(copy) as z:
                self.assertEqual({i.date_time for i in z.infolist()}, {(1980, 1, 1, 0, 0, 0)})

    def test_readme_is_plain_text_with_windows_line_ends(self):
        text = self.zip.read("README.txt")
        text.decode("ascii")
        self.assertNotIn(b"@", text)  # every placeholder was filled in
        self.assertEqual(text.count(b"\n"), text.count(b"\r\n"))
        for word in (b"/SaveAllToFile", b"/SaveUrlToFile", b"/OpenUrl", b"ButtonLayout",
                     b"{8A918C1D-E123-4E36-B562-5C1519E434CE}", b"administrator"):
            with self.subTest(word=word):
                self.assertIn(word, text)


def first_code_byte(data):
    """The offset of a byte the signature covers: the first section's."""
    return pe_file.PeFile(data).sections[0].raw_offset


class SignedPackage(unittest.TestCase):
    """Signed with a throwaway self-signed certificate, which then serves as
    the only trusted root: once as PEM files, once as a PKCS#12 file whose
    password comes from a file."""

    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.cert, key = make_certificate(cls.folder.name, "publisher")
        pkcs12, password = (os.path.join(cls.folder.name, n) for n in ("publisher.p12", "pw"))
        with open(password, "w") as f:
            f.write("geheim\n")
        subprocess.run(["openssl", "pkcs12", "-export", "-in", cls.cert, "-inkey", key,
                        "-out", pkcs12, "-passout", "file:" + password],
                       check=True, capture_output=True)
        outputs = [os.path.join(cls.folder.name, n) for n in ("pem", "pkcs12")]
        cls.zips = [make_package(outputs[0], {"VORLINDE_SIGN_CERT": cls.cert,
                                              "VORLINDE_SIGN_KEY": key})[1],
                    make_package(outputs[1], {"VORLINDE_SIGN_PKCS12": pkcs12,
                                              "VORLINDE_SIGN_PASSWORD_FILE": password})[1]]
        cls.msis = [os.path.join(o, n) for o in outputs for n in os.listdir(o) if n.endswith(".msi")]
        cls.outputs = outputs

    @classmethod
    def tearDownClass(cls):
        for z in cls.zips:
            z.close()
        cls.folder.cleanup()

    def verify(self, name, data):
        """osslsigncode's exit code and output for the program's bytes."""
        path = os.path.join(self.folder.name, name)
        with open(path, "wb") as f:
            f.write(data)
        result = subprocess.run(["osslsigncode", "verify", "-CAfile", self.cert,
                                 "-TSA-CAfile", self.cert, "-in", path],
                                capture_output=True, text=True)
        return result.returncode, result.stdout + result.stderr

    def test_both_programs_carry_a_valid_sha256_signature(self):
        for signed, name in ((z, n) for z in self.zips for n in PROGRAMS):
            with self.subTest(name):
                code, output = self.verify(name, signed.read(name))
                self.assertEqual(code, 0, output)
                self.assertIn("Message digest algorithm  : SHA256", output)

    def test_a_program_changed_after_signing_fails_verification(self):
        for name in PROGRAMS:
            with self.subTest(name):
                data = bytearray(self.zips[0].read(name))
                data[first_code_byte(data)] ^= 0xFF
                code, output = self.verify(name, bytes(data))
                self.assertNotEqual(code, 0, output)

    def test_sha256sums_holds_the_hashes_of_the_signed_packages(self):
        for output in self.outputs:
            check = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=output,
                                   capture_output=True, text=True)
            self.assertEqual((check.returncode, check.stdout.count(": OK\n")), (0, 2),
                             check.stdout + check.stderr)

    def test_the_installer_packages_carry_a_valid_signature_that_a_change_breaks(self):
        self.assertEqual(len(self.msis), 2)
        for msi in self.msis:
            with open(msi, "rb") as f:
                data = bytearray(f.read())
            self.assertEqual(self.verify("vorlinde.msi", bytes(data))[0], 0, msi)
        data[data.index(b"Installation Database")] ^= 0x20  # in the summary information
        self.assertNotEqual(self.verify("vorlinde.msi", bytes(data))[0], 0)


class FailedPackaging(unittest.TestCase):
    """A step that fails leaves neither a ZIP nor SHA256SUMS in the output
    folder, not even an earlier run's, and says why without a traceback."""

    def test_leaves_nothing_behind_and_says_why(self):
        with tempfile.TemporaryDirectory() as folder:
            cert, key = make_certificate(folder, "publisher")
            server, server_key = make_certificate(folder, "server", "serverAuth")
            other = make_certificate(folder, "other")[1]
            output = os.path.join(folder, "out")

            def shipped():  # and anything half written: all but CPack's own work folder
                return [n for n in os.listdir(output) if n != "_CPack_Packages"]

            cases = [
                ("a key that does not match", {"VORLINDE_SIGN_CERT": cert,
                                                "VORLINDE_SIGN_KEY": other},
                 "signing vorlinde"),
                ("a certificate not for code signing", {"VORLINDE_SIGN_CERT": server,
                                                         "VORLINDE_SIGN_KEY": server_key},
                 "checking the signature of vorlinde"),
                ("a date that is no number", {"SOURCE_DATE_EPOCH": "abc"}, "SOURCE_DATE_EPOCH="),
                ("a year past 2107", {"SOURCE_DATE_EPOCH": "4354819200"}, "SOURCE_DATE_EPOCH="),
                ("a year before 1980", {"SOURCE_DATE_EPOCH": "315532799"}, "SOURCE_DATE_EPOCH="),
            ]
            for name, settings, reason in cases:
                with self.subTest(name):
                    make_package(output)[1].close()  # an earlier run's files
                    self.assertEqual(len(shipped()), 3)
                    result = run_cpack(output, settings)
                    said = result.stdout + result.stderr
                    self.assertNotEqual(result.returncode, 0)
                    self.assertIn("seal_package: " + reason, said)
                    self.assertNotIn("Traceback", said)
                    self.assertEqual(shipped(), [])


if __name__ == "__main__":
    unittest.main()
