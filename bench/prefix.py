"""The bench's Wine prefix: one per route, made once and put back before
every run, and the calls the bench makes into it."""
import collections
import glob
import os
import re
import resource
import shutil
import subprocess
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SETTLE_RUNS = 5


class Route:
    """Which programs run on which Wine, and the floors' compiler for them."""

    def __init__(self, name, preset, kind, compiler, words):
        # kind: the test prefixes' kind (cmake/wine-prefix.sh), which makes it.
        self.name, self.preset, self.kind, self.compiler, self.words = (
            name, preset, kind, compiler, words)
        arch = "win32" if kind == "win32" else "win64"
        self.arch = arch
        self.build = os.path.join(ROOT, "build", "bench", name)
        self.prefix = os.path.join(self.build, "wineprefix")
        self.pristine = os.path.join(self.build, "pristine-registry")
        self.folder = os.path.join(self.prefix, "drive_c", "bench")
        # A 64-bit prefix's reg.exe is 64-bit: the programs' keys are those
        # of the 32-bit view, where every 32-bit program (and the twin) has them.
        self.view = ("/reg:32",) if arch == "win64" else ()
        self.env = dict(os.environ, WINEPREFIX=self.prefix, WINEARCH=arch, WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")

    def programs(self):
        built = os.path.join(ROOT, "build", self.preset)
        return {"vorlinde.exe": os.path.join(built, "src", "vorlinde.exe"),
                "vorlinde-inspect.exe": os.path.join(built, "tools", "report",
                                                     "vorlinde-inspect.exe"),
                "vorlinde-agent.exe": os.path.join(built, "tools", "agent", "vorlinde-agent.exe")}


ROUTES = {route.name: route for route in (
    Route("twin", "windows64", "twin", "x86_64-w64-mingw32-gcc-win32",
          "the 64-bit twin (windows64 preset) under wine64, in a 64-bit prefix"),
    Route("win32", "windows", "win32", "i686-w64-mingw32-gcc-win32",
          "the 32-bit programs (windows preset), in a 32-bit prefix"),
    Route("wow64", "windows", "win64", "i686-w64-mingw32-gcc-win32",
          "the 32-bit programs (windows preset) under WOW64, in a 64-bit prefix"),
)}


class Prefix:
    def __init__(self, route, clock="wall"):
        self.route, self.clock, self.server_pid = route, clock, None

    def wine(self, *args, output=subprocess.DEVNULL, env=None):
        return subprocess.run(("wine",) + args, env=env or self.route.env,
                              stdin=subprocess.DEVNULL, stdout=output, stderr=subprocess.DEVNULL)

    def server(self, *args, **options):
        return subprocess.run(("wineserver",) + args, env=self.route.env,
                              stderr=subprocess.DEVNULL, **options)

    def reg(self, *args, output=subprocess.DEVNULL):
        """reg.exe on the programs' keys (their view in a 64-bit prefix)."""
        return self.wine("reg", *args, *self.route.view, output=output)

    def import_reg(self, windows_path):
        # Wine's reg now and then ends an import with 1 and no word, having
        # imported nothing: once more, as the black-box cases do.
        for _ in range(2):
            if self.reg("import", windows_path).returncode == 0:
                return
        raise RuntimeError("reg import %s failed twice" % windows_path)

    def run(self, program, *args, output=subprocess.DEVNULL):
        return self.wine("C:\\bench\\" + program, *args, output=output)

    def registry_files(self):
        return sorted(glob.glob(os.path.join(self.route.prefix, "*.reg")))

    def last_registry_save(self):
        return max((os.stat(path).st_mtime for path in self.registry_files()), default=0.0)

    def make_once(self, first_steps):
        """A prefix made once, its registry saved as made after
        `first_steps(prefix)`: every later start begins from those files."""
        route = self.route
        if os.path.isdir(route.pristine) and os.path.exists(
                os.path.join(route.prefix, "system.reg")):
            return
        shutil.rmtree(route.pristine, ignore_errors=True)
        self.server("-k")
        self.clear_all_but_the_bench()
        subprocess.run([os.path.join(ROOT, "cmake", "wine-prefix.sh"), "setup", route.prefix,
                        route.kind], stdin=subprocess.DEVNULL, check=True)
        first_steps(self)
        try:  # the server ends once idle, saving it all
            self.server("-w", timeout=120)
        except subprocess.TimeoutExpired:
            self.server("-k")
        os.makedirs(route.pristine + ".new")
        for path in self.registry_files():
            shutil.copy2(path, route.pristine + ".new")
        os.rename(route.pristine + ".new", route.pristine)

    def clear_all_but_the_bench(self):
        """A prefix made anew holds nothing of an earlier one (the buttons a
        run added stay in its registry), only the bench folder's files."""
        def clear(folder, keep):
            for name in os.listdir(folder) if os.path.isdir(folder) else ():
                path = os.path.join(folder, name)
                if name == keep:
                    continue
                if os.path.isdir(path) and not os.path.islink(path):
                    shutil.rmtree(path)
                else:
                    os.remove(path)
        clear(self.route.prefix, "drive_c")
        clear(os.path.join(self.route.prefix, "drive_c"), "bench")

    def start(self, settle_program):
        """The saved registry put back, a persistent server, the session's
        start-up done, and the prefix left until an empty program's start-up
        time stops falling: the first runs after a start pay for services
        still starting, which would fall on the first mode alone."""
        self.server("-k")
        self.server("-w")
        self.server_pid = None
        for path in glob.glob(os.path.join(self.route.pristine, "*.reg")):
            shutil.copy2(path, self.route.prefix)
        self.server("-p")
        subprocess.run(["wineboot", "-i"], env=self.route.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        times = []
        for _ in range(60):
            times.append(self.seconds(settle_program, ()))
            recent = times[-SETTLE_RUNS:]
            if len(recent) == SETTLE_RUNS and max(recent) <= 1.10 * min(recent):
                return
            time.sleep(0.5)
        print("note: the prefix did not settle; its start-up times still vary by more than 10%",
              flush=True)

    def stop(self):
        self.server("-k")

    def seconds(self, program, args):
        """The run's time on the route's clock: wall time, or ("cpu") the
        processor time of the program's processes and of the wineserver's
        work for it, which another load on the machine hardly changes."""
        if self.clock == "wall":
            start = time.perf_counter()
            self.run(program, *args)
            return time.perf_counter() - start
        server = self.server_cpu()
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        self.run(program, *args)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        return (after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime +
                self.server_cpu() - server)

    def server_cpu(self):
        """Seconds the prefix's wineserver ran so far (its scheduler's own
        count, exact to the nanosecond rather than to the tick)."""
        if not self.server_pid:
            self.server_pid = self.find_server()
        with open("/proc/%d/schedstat" % self.server_pid) as file:
            return int(file.read().split()[0]) / 1e9

    def find_server(self):
        # A wineserver works in a folder named after its prefix's device and
        # inode (where that folder lies differs between Wine's builds): that
        # tells this prefix's server from other prefixes'.
        info = os.stat(self.route.prefix)
        folder = "server-%x-%x" % (info.st_dev, info.st_ino)
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                if (open("/proc/%s/comm" % pid).read().startswith("wineserver") and
                        os.path.basename(os.readlink("/proc/%s/cwd" % pid)) == folder):
                    return int(pid)
            except OSError:
                continue
        raise RuntimeError("no wineserver runs for %s" % self.route.prefix)

    def registry_calls(self, program, args):
        """How often the run called each registry function, as Wine's reg
        trace counts them (the process's start-up, the same for every
        program, included)."""
        env = dict(self.route.env, WINEDEBUG="+reg")
        with tempfile.TemporaryFile() as trace:
            subprocess.run(("wine", "C:\\bench\\" + program) + tuple(args), env=env,
                           stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=trace)
            trace.seek(0)
            text = trace.read().decode("utf-8", "replace")
        return collections.Counter(re.findall(r":trace:reg:(\w+) \(", text))

    def write_reg_file(self, name, lines):
        """A .reg file in the bench folder (Unicode, as reg export writes
        them, so that exported keys can be part of it); its Windows path."""
        text = "\r\n".join(["Windows Registry Editor Version 5.00", ""] + lines + [""])
        with open(os.path.join(self.route.folder, name), "wb") as file:
            file.write(b"\xff\xfe" + text.encode("utf-16-le"))
        return "C:\\bench\\" + name

    def export_lines(self, key):
        """The lines of `key` as reg export writes them, without the header;
        none when the key is missing."""
        path = os.path.join(self.route.folder, "export.reg")
        if os.path.exists(path):
            os.remove(path)
        if self.reg("export", key, "C:\\bench\\export.reg", "/y").returncode != 0:
            return []
        with open(path, "rb") as file:
            text = file.read().decode("utf-16")
        return text.lstrip("\ufeff").splitlines()[1:]

    def query_binary(self, key, value):
        """A REG_BINARY value's bytes as reg query shows them, or None."""
        with open(os.path.join(self.route.folder, "query.txt"), "w+b") as output:
            if self.reg("query", key, "/v", value, output=output).returncode != 0:
                return None
            output.seek(0)
            for line in output.read().decode("utf-8", "replace").splitlines():
                parts = line.split()
                if len(parts) >= 2 and parts[0] == value and parts[1] == "REG_BINARY":
                    digits = parts[2] if len(parts) > 2 else ""
                    return bytes.fromhex(digits)
        return None
