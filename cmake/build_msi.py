"""Builds the Windows Installer package beside the ZIP: vorlinde-<version>.msi,
made with wixl from packaging/vorlinde.wxs out of the sealed ZIP's own files
(so its programs are signed exactly when the ZIP's are), signed and checked
when a certificate is given, and listed in SHA256SUMS.

The same sources give the same bytes. wixl varies three things between
builds, and this script fixes each:
- the package code, random: derived here from the version, the commit and
  the files, so that a different package never shares one;
- the summary information's creation and save times, the clock's: set to
  the package date (the ZIP's date);
- the cabinet's file times, the files' own: set to the package date before
  wixl reads them.
wixl also writes no rollback type for a custom action; it is set here for
every action the source marks Execute="rollback". Nor does it write a file's
version: each file with a version resource gets its version and language in
the File table here, so that a file-version rule can find them.

The package's custom actions come from a DLL of their own (PACKAGE_ACTIONS,
tools/package-actions), which goes into the Binary table and never into the
ZIP; it is signed with the programs' certificate before it goes in.

Signing, the package date and failing whole come from seal_package.py: a
failed step leaves neither package nor SHA256SUMS in the output folder,
and deletes CPack's ZIP, so that CPack copies nothing there either.

Usage: build_msi.py ZIP OUTPUT_DIR SOURCE_DIR APP_ICON PACKAGE_ACTIONS VERSION
       build_msi.py --discard OUTPUT_DIR VERSION   (an earlier run's package
                                                    leaves the output folder)"""
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import uuid
import xml.etree.ElementTree as ElementTree
import zipfile

from seal_package import (SealError, discard, fail_whole, package_date, sign_and_verify,
                          signing_config, write_sums)

# Product and package codes are name-based UUIDs in this namespace.
CODE_NAMESPACE = uuid.UUID("4A194C1F-45BE-4AB3-ACD9-10F7925824DC")
WIX = "{http://schemas.microsoft.com/wix/2006/wi}"
ROLLBACK_FLAGS = 0x500  # msidbCustomActionTypeInScript | msidbCustomActionTypeRollback
FILETIME_EPOCH = 11644473600  # seconds from 1601-01-01 to 1970-01-01
ACTIONS_DLL = "vorlinde-package-actions.dll"


def run(args, what, **options):
    """Runs a tool; on failure a SealError names `what` and the tool's last
    words."""
    result = subprocess.run(args, stdin=subprocess.DEVNULL, capture_output=True, **options)
    if result.returncode != 0:
        said = (result.stderr + result.stdout).decode(errors="replace").strip().splitlines()
        raise SealError("%s failed: %s" % (what, said[-1] if said else "exit code %d"
                                           % result.returncode))
    return result.stdout


def package_name(version):
    return "vorlinde-%s.msi" % version


def product_code(version):
    return str(uuid.uuid5(CODE_NAMESPACE, "product " + version)).upper()


def commit(source_dir):
    try:
        return subprocess.run(["git", "-C", source_dir, "rev-parse", "HEAD"], check=True,
                              capture_output=True, text=True).stdout.strip()
    except (OSError, subprocess.CalledProcessError):
        return "no commit"


def package_code(version, source_dir, inputs):
    """From the version, the commit and every byte that goes in."""
    digest = hashlib.sha256()
    for path in inputs:
        with open(path, "rb") as f:
            digest.update(os.path.basename(path).encode() + b"\0" + f.read())
    text = "package %s %s %s" % (version, commit(source_dir), digest.hexdigest())
    return str(uuid.uuid5(CODE_NAMESPACE, text)).upper()


class CompoundFile:
    """The sectors of one stream of an OLE compound file (the MSI's
    container), so that it can be rewritten in place at the same length."""

    def __init__(self, data):
        self.data = data
        (sector_shift, mini_shift) = struct.unpack_from("<HH", data, 0x1E)
        self.sector = 1 << sector_shift
        self.mini = 1 << mini_shift
        (first_dir, ) = struct.unpack_from("<I", data, 0x30)
        (self.cutoff, first_minifat, _, first_difat, difat_count) = \
            struct.unpack_from("<IIIII", data, 0x38)
        fat_sectors = list(struct.unpack_from("<109I", data, 0x4C))
        for _ in range(difat_count):
            entries = struct.unpack_from("<%dI" % (self.sector // 4), data, self.offset(first_difat))
            fat_sectors += entries[:-1]
            first_difat = entries[-1]
        self.fat = []
        for s in fat_sectors:
            if s < 0xFFFFFFFA:
                self.fat += struct.unpack_from("<%dI" % (self.sector // 4), data, self.offset(s))
        self.minifat = []
        for s in self.chain(first_minifat):
            self.minifat += struct.unpack_from("<%dI" % (self.sector // 4), data, self.offset(s))
        directory = b"".join(self.read_sector(s) for s in self.chain(first_dir))
        self.entries = [directory[i:i + 128] for i in range(0, len(directory), 128)]
        self.mini_stream = self.chain(self.start_and_size(0)[0])

    def offset(self, sector):
        return (sector + 1) * self.sector

    def read_sector(self, sector):
        return self.data[self.offset(sector):self.offset(sector) + self.sector]

    def chain(self, start, table=None):
        table = self.fat if table is None else table
        sectors = []
        while start < 0xFFFFFFFA:
            sectors.append(start)
            start = table[start]
        return sectors

    def start_and_size(self, index):
        start, size = struct.unpack_from("<IQ", self.entries[index], 116)
        return start, size if self.sector > 512 else size & 0xFFFFFFFF

    def ranges(self, name):
        """[(file offset, length)] of the named stream's bytes, in order."""
        for index, entry in enumerate(self.entries):
            length = struct.unpack_from("<H", entry, 64)[0]
            if entry[66] == 2 and entry[:max(length - 2, 0)].decode("utf-16-le") == name:
                start, size = self.start_and_size(index)
                break
        else:
            raise KeyError("no stream %r" % name)
        if size >= self.cutoff:
            places = [self.offset(s) for s in self.chain(start)]
            unit = self.sector
        else:
            per_sector = self.sector // self.mini
            places = [self.offset(self.mini_stream[m // per_sector]) + m % per_sector * self.mini
                      for m in self.chain(start, self.minifat)]
            unit = self.mini
        return [(p, min(unit, size - i * unit)) for i, p in enumerate(places)]

    def read(self, name):
        return b"".join(bytes(self.data[p:p + n]) for p, n in self.ranges(name))

    def write(self, name, content):
        pieces = self.ranges(name)
        if sum(n for _, n in pieces) != len(content):
            raise ValueError("stream %r would change its length" % name)
        done = 0
        for p, n in pieces:
            self.data[p:p + n] = content[done:done + n]
            done += n


SUMMARY = "\x05SummaryInformation"
PID_REVISION, PID_CREATED, PID_SAVED = 9, 12, 13
VT_LPSTR, VT_FILETIME = 30, 64


def fixed_summary(stream, code, seconds):
    """The summary information property set with the package code and both
    times replaced; every other byte stays."""
    out = bytearray(stream)
    (section, ) = struct.unpack_from("<I", out, 44)
    (count, ) = struct.unpack_from("<I", out, section + 4)
    filetime = struct.pack("<Q", (seconds + FILETIME_EPOCH) * 10 ** 7)
    fixed = set()
    for i in range(count):
        pid, at = struct.unpack_from("<II", out, section + 8 + 8 * i)
        at += section
        (kind, ) = struct.unpack_from("<I", out, at)
        if pid == PID_REVISION and kind == VT_LPSTR:
            text = ("{%s}" % code).encode("ascii") + b"\0"
            if struct.unpack_from("<I", out, at + 4)[0] != len(text):
                raise ValueError("unexpected package code length")
            out[at + 8:at + 8 + len(text)] = text
            fixed.add(pid)
        elif pid in (PID_CREATED, PID_SAVED) and kind == VT_FILETIME:
            out[at + 4:at + 12] = filetime
            fixed.add(pid)
    if fixed != {PID_REVISION, PID_CREATED, PID_SAVED}:
        raise ValueError("the summary information lacks the package code or a date")
    return bytes(out)


VERSION_SIGNATURE = struct.pack("<I", 0xFEEF04BD)  # VS_FIXEDFILEINFO's
ENGLISH_US = "1033"  # the language of our version resources


def file_version(path):
    """The file version of a program's version resource, "1.0.1.0"; None
    for a file without one."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"MZ" or VERSION_SIGNATURE not in data:
        return None
    at = data.index(VERSION_SIGNATURE)
    high, low = struct.unpack_from("<II", data, at + 8)
    return "%d.%d.%d.%d" % (high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF)


def set_file_versions(msi, payload):
    """Each versioned file's version and language into the File table."""
    lines = run(["msiinfo", "export", msi, "File"], "reading the files").decode().splitlines()
    for key, name in ((f[0], f[2]) for f in (line.split("\t") for line in lines[3:])):
        version = file_version(os.path.join(payload, name.split("|")[-1]))
        if version:
            run(["msibuild", msi, "-q", "UPDATE `File` SET `Version` = '%s', `Language` = '%s' "
                 "WHERE `File` = '%s'" % (version, ENGLISH_US, key)], "setting a file's version")


def rollback_actions(work, defines):
    """The ids of the custom actions the source marks Execute="rollback"."""
    text = run(["wixl", "-E", *defines, "vorlinde.wxs"], "reading vorlinde.wxs", cwd=work)
    return [a.get("Id") for a in ElementTree.fromstring(text).iter(WIX + "CustomAction")
            if a.get("Execute") == "rollback"]


def custom_action_types(msi):
    """{action: type} from the CustomAction table."""
    lines = run(["msiinfo", "export", msi, "CustomAction"],
                "reading the custom actions").decode().splitlines()
    return {fields[0]: int(fields[1]) for fields in (line.split("\t") for line in lines[3:])}


def build(zip_path, output_dir, source_dir, app_icon, actions, version, work):
    """Everything in `work`: wixl takes only paths relative to where it runs."""
    seconds = package_date(source_dir)
    config = signing_config()
    with zipfile.ZipFile(zip_path) as z:
        names = sorted(i.filename for i in z.infolist() if not i.is_dir())
        z.extractall(os.path.join(work, "payload"), names)
    shutil.copyfile(app_icon, os.path.join(work, "vorlinde.ico"))
    shutil.copyfile(actions, os.path.join(work, ACTIONS_DLL))
    if config:
        sign_and_verify(os.path.join(work, ACTIONS_DLL), config, work)
    shutil.copyfile(os.path.join(source_dir, "packaging", "vorlinde.wxs"),
                    os.path.join(work, "vorlinde.wxs"))
    inputs = [os.path.join(work, "payload", n) for n in names] + \
        [os.path.join(work, n) for n in ("vorlinde.ico", ACTIONS_DLL, "vorlinde.wxs")]
    for path in inputs:
        os.utime(path, (seconds, seconds))
    defines = ["-D", "Version=" + version, "-D", "ProductCode=" + product_code(version),
               "-D", "Payload=payload", "-D", "AppIcon=vorlinde.ico",
               "-D", "PackageActions=" + ACTIONS_DLL]
    msi = os.path.join(work, package_name(version))
    run(["wixl", *defines, "-o", msi, "vorlinde.wxs"], "wixl", cwd=work,
        env=dict(os.environ, TZ="UTC"))

    set_file_versions(msi, os.path.join(work, "payload"))
    types = custom_action_types(msi)
    for action in rollback_actions(work, defines):
        run(["msibuild", msi, "-q", "UPDATE `CustomAction` SET `Type` = %d WHERE `Action` = '%s'"
             % (types[action] | ROLLBACK_FLAGS, action)], "setting the rollback type")

    with open(msi, "rb") as f:
        data = bytearray(f.read())
    try:
        container = CompoundFile(data)
        container.write(SUMMARY, fixed_summary(container.read(SUMMARY),
                                               package_code(version, source_dir, inputs), seconds))
    except (IndexError, KeyError, ValueError, struct.error) as e:
        raise SealError("fixing the summary information failed: %s" % e)
    with open(msi, "wb") as f:
        f.write(container.data)

    if config:
        sign_and_verify(msi, config, work)
    target = os.path.join(output_dir, package_name(version))
    shutil.move(msi, target)
    write_sums([zip_path, target], output_dir)


def main(zip_path, output_dir, source_dir, app_icon, actions, version):
    target = os.path.join(output_dir, package_name(version))

    def step():
        discard(target)  # never an earlier run's package beside this run's sums
        try:
            with tempfile.TemporaryDirectory() as work:
                build(zip_path, output_dir, source_dir, app_icon, actions, version, work)
        except BaseException:
            discard(target)
            raise

    return fail_whole(step, zip_path, output_dir)


if __name__ == "__main__":
    if sys.argv[1] == "--discard":
        discard(os.path.join(sys.argv[2], package_name(sys.argv[3])))
    else:
        sys.exit(main(*sys.argv[1:]))
