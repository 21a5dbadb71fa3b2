"""Runs Windows programs in one of the build tree's private Wine prefixes,
whose server the CTest fixture (`wine` for the 32-bit prefix, `wine64` for
the 64-bit one) has already started, so that no call here starts one that
would hold on to our pipes."""
import os
import shutil
import subprocess
import sys
import tempfile


def private_locale(name):
    """LOCPATH for the Unix locale `name` ("ru_RU.UTF-8"), compiled once into
    the build tree: Wine takes its ANSI code page from the locale's language,
    so one plays a Windows of that language without touching the system."""
    base = os.path.join(os.environ["VORLINDE_BUILD_DIR"], "locales")
    if not os.path.isdir(os.path.join(base, name)):
        language, charset = name.split(".")
        os.makedirs(base, exist_ok=True)
        # localedef ends with 1 for mere warnings; the folder tells.
        subprocess.run(("localedef", "-i", language, "-f", charset, os.path.join(base, name)),
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if not os.path.isdir(os.path.join(base, name)):
            raise RuntimeError("localedef could not make the locale " + name)
    return base


class Wine:
    def __init__(self, prefix, arch="win32", locale=None):
        """`arch` is "win32", "win64" for a 64-bit prefix in which 32-bit
        programs run under WOW64, or "twin" for a 64-bit prefix in which the
        programs' 64-bit twin stands for them; `locale` a Unix locale such as
        "ru_RU.UTF-8" for a Windows of that language (code page 1251)."""
        self.prefix = prefix
        self.arch = arch
        # 64-bit Windows, with its two registry views.
        self.windows64 = arch in ("win64", "twin")
        self.drive_c = os.path.join(prefix, "drive_c")
        self.env = dict(os.environ,
                        WINEPREFIX=prefix, WINEARCH="win64" if self.windows64 else "win32",
                        WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=",
                        # The ANSI code page follows the locale; the
                        # program's texts are cp1252.
                        LANG="C.UTF-8", LC_ALL="C.UTF-8")
        if locale:
            self.env.update(LANG=locale, LC_ALL=locale, LOCPATH=private_locale(locale))

    def in_locale(self, locale):
        """The same prefix, its programs run under the Unix locale `locale`."""
        return Wine(self.prefix, self.arch, locale)

    def view(self, bits):
        """The `reg` switch for the registry view that a program of `bits`
        (32 or 64) sees; none in a 32-bit prefix, which has one view."""
        return ("/reg:%d" % bits,) if self.windows64 else ()

    def reg(self, *args, bits=32):
        """Runs `reg` on the view of a 32-bit program such as vorlinde.exe,
        or of a 64-bit one; it must succeed."""
        command = ("reg",) + args + self.view(bits)
        if args[0] == "import":
            # Wine 8's reg now and then ends an import with 1 and not a word
            # (seen once in many runs); importing the same file again is the
            # same import, so it gets one more try, said on stderr.
            code, out, err = self.run(*command)
            if code != 1 or out or err:
                return self.raise_unless_succeeded(command, code, out, err)
            sys.stderr.write("wine %s: exit 1 and no word; once more\n" % " ".join(command))
        self.check(*command)

    def windows_path(self, posix_path):
        """C:\\... for a path under drive_c."""
        relative = os.path.relpath(posix_path, self.drive_c)
        if relative.startswith(".."):
            raise ValueError("%s is not on drive C:" % posix_path)
        return "C:\\" + relative.replace("/", "\\")

    def start(self, *args):
        return subprocess.Popen(("wine",) + args, env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)

    def run(self, *args, cwd=None):
        """(exit code, stdout bytes, stderr bytes) of one program run, in the
        current directory `cwd` (a folder on drive C:) if given. The
        output goes through files: a process that Wine starts on the
        program's behalf (the desktop, once the shell is used) inherits the
        handles and may keep a pipe open long after the program ended."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(("wine",) + args, env=self.env, stdin=subprocess.DEVNULL,
                                  stdout=out, stderr=err, cwd=cwd, timeout=60).returncode
            out.seek(0)
            err.seek(0)
            return code, out.read(), err.read()

    def starts_a_program_in(self, folder):
        """Whether this Wine starts a program of ours from `folder` at all: a
        copy of its own hostname.exe of our programs' bitness (a name as long
        as vorlinde.exe) is run there. Some builds start nothing whose path
        has 260 characters or more, some only no 32-bit program."""
        probe = os.path.join(folder, "hostname.exe")
        system = "syswow64" if self.arch == "win64" else "system32"
        shutil.copyfile(os.path.join(self.drive_c, "windows", system, "hostname.exe"), probe)
        try:
            return self.run(self.windows_path(probe))[0] == 0
        finally:
            os.remove(probe)

    def check(self, *args):
        """Runs a helper (reg, cmd) that must succeed."""
        self.raise_unless_succeeded(args, *self.run(*args))

    @staticmethod
    def raise_unless_succeeded(args, code, out, err):
        if code != 0:
            raise RuntimeError("wine %s: exit %d\n%s%s" % (" ".join(args), code,
                                                         out.decode(errors="replace"),
                                                         err.decode(errors="replace")))

    def export(self, keys, folder, bits=32):
        """`reg export` of each key in the view of a program of `bits`, all
        at once; the files' bytes in order."""
        paths = [os.path.join(folder, "export%d.reg" % i) for i in range(len(keys))]
        processes = [self.start("reg", "export", key, self.windows_path(path), "/y",
                                *self.view(bits))
                     for key, path in zip(keys, paths)]
        for key, path, process in zip(keys, paths, processes):
            out, err = process.communicate(timeout=60)
            code = process.returncode
            if code == 1 and not out and not err:
                # An export ends as an import now and then does: 1 and no
                # word; exporting the same key again reads the same key.
                command = ("reg", "export", key, self.windows_path(path), "/y") + self.view(bits)
                sys.stderr.write("wine %s: exit 1 and no word; once more\n" % " ".join(command))
                code, out, err = self.run(*command)
            if code != 0:
                raise RuntimeError("reg export %s: exit %d %s" % (key, code,
                                                                  err.decode(errors="replace")))
        contents = []
        for path in paths:
            with open(path, "rb") as f:
                contents.append(f.read())
            os.remove(path)
        return contents
