#!/usr/bin/env python3
"""Start-up benchmark: the wall time of each mode of vorlinde.exe, and of a
report run of vorlinde-inspect.exe, against the least a program doing the
same work needs, under Wine.

Builds three plain C programs with MinGW (InstallFloor.c: the install run's
registry work; EmptyProgram.c: WinMain returning 0; PlainShellExecute.c: the
same ShellExecuteA call) and, unless --exe and --inspect-exe name them,
vorlinde.exe and vorlinde-inspect.exe with the windows preset. Runs each mode
and its floor alternately under one Wine prefix with a persistent wineserver,
--pairs pairs after a warm-up, and prints the medians and the median of the
per-pair ratios. The prefix's http handler is the empty program, so no
browser starts. The install run is timed again with 100 and with 1,000
buttons of the same class listed before the program's own key; those keys
are imported once before their runs, and the layout is put back before each
pair of install runs, since each run adds an entry.

    python3 bench/startup.py [--pairs 21] [--exe PATH] [--inspect-exe PATH]
"""
import argparse
import os
import shutil
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BENCH = os.path.join(ROOT, "bench")
BUILD = os.path.join(ROOT, "build", "bench")
PREFIX = os.path.join(BUILD, "wineprefix")
FOLDER = os.path.join(PREFIX, "drive_c", "bench")
CC = "i686-w64-mingw32-gcc-win32"  # the toolchain file's compiler
WARM_UP_PAIRS = 3
PROGRAM = "vorlinde.exe"
INSPECTOR = "vorlinde-inspect.exe"

EXTENSIONS = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer\Extensions"
COMMAND_BAR = r"HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\LowRegistry\CommandBar"
BUTTON_CLSID = "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"

# (name, program, its arguments, floor program, buttons of the same class
# listed before the program's key, goal for the median ratio). The modes run
# in this order; the preceding buttons are added before a mode that names
# more of them than the prefix holds, and stay.
MODES = [
    ("install", PROGRAM, (), "InstallFloor.exe", 0, 1.15),
    ("/SaveAllToFile", PROGRAM, ("/SaveAllToFile",), "EmptyProgram.exe", 0, 1.15),
    ("/SaveUrlToFile", PROGRAM, ("/SaveUrlToFile",), "EmptyProgram.exe", 0, 1.15),
    ("/OpenUrl", PROGRAM, ("/OpenUrl",), "PlainShellExecute.exe", 0, 1.15),
    ("inspector report", INSPECTOR, (), "EmptyProgram.exe", 0, 1.15),
    ("install, 100 before", PROGRAM, (), "InstallFloor.exe", 100, 1.10),
    # Command id 1,016 does not fit the entry's byte: both stop after the count.
    ("install, 1,000 before", PROGRAM, (), "InstallFloor.exe", 1000, 1.10),
]

ENV = dict(os.environ, WINEPREFIX=PREFIX, WINEARCH="win32", WINEDEBUG="-all",
           WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")


def build_floors():
    os.makedirs(FOLDER, exist_ok=True)
    for name, libraries in (("InstallFloor", []), ("EmptyProgram", []),
                            ("PlainShellExecute", ["-lshell32"])):
        subprocess.run([CC, "-Os", "-s", "-mwindows", os.path.join(BENCH, name + ".c"),
                        "-o", os.path.join(FOLDER, name + ".exe")] + libraries, check=True)


def build_programs():
    for step in (["cmake", "--preset", "windows"],
                 ["cmake", "--build", "--preset", "windows", "--target", "vorlinde",
                  "vorlinde-inspect"]):
        subprocess.run(step, cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    built = os.path.join(ROOT, "build", "windows")
    return (os.path.join(built, "src", PROGRAM),
            os.path.join(built, "tools", "report", INSPECTOR))


def wine(*args):
    return subprocess.run(("wine",) + args, env=ENV, stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode


def start_prefix():
    subprocess.run(["wineserver", "-p"], env=ENV)  # exits 2 when one is running already
    subprocess.run(["wineboot", "-i"], env=ENV, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    handler = '"C:\\bench\\EmptyProgram.exe" "%1"'
    wine("reg", "add", r"HKEY_CLASSES_ROOT\http\shell\open\command", "/ve", "/d", handler, "/f")
    # Buttons of an earlier benchmark run would slow the first modes.
    wine("reg", "delete", EXTENSIONS, "/f")


def add_preceding_buttons(count):
    """Same-class button keys whose names ({0000000x-...}) sort before the
    program's key {8A918C1D-...}, imported in one go."""
    lines = ["REGEDIT4", ""]
    for number in range(count):
        lines += ["[%s\\{%08X-0000-4000-8000-000000000000}]" % (EXTENSIONS, number),
                  '"ButtonText"="Button %d"' % number,
                  '"Icon"="C:\\\\bench\\\\shop.ico"',
                  '"clsid"="%s"' % BUTTON_CLSID, ""]
    path = os.path.join(FOLDER, "preceding.reg")
    with open(path, "w", newline="\r\n") as file:
        file.write("\n".join(lines))
    if wine("reg", "import", "C:\\bench\\preceding.reg") != 0:
        raise RuntimeError("reg import of %d button keys failed" % count)


def reset_layout():
    wine("reg", "delete", COMMAND_BAR, "/v", "ButtonLayout", "/f")


def seconds(program, args):
    start = time.perf_counter()
    wine("C:\\bench\\" + program, *args)
    return time.perf_counter() - start


def measure(program_name, args, floor, pairs, before_pair):
    """Per pair: (program seconds, floor seconds); the first of each pair
    alternates so that neither always runs on a warmer machine."""
    results = []
    for index in range(WARM_UP_PAIRS + pairs):
        before_pair()
        if index % 2 == 0:
            program = seconds(program_name, args)
            base = seconds(floor, ())
        else:
            base = seconds(floor, ())
            program = seconds(program_name, args)
        if index >= WARM_UP_PAIRS:
            results.append((program, base))
    return results


def report(name, floor, goal, results):
    program = statistics.median(r[0] for r in results) * 1000
    base = statistics.median(r[1] for r in results) * 1000
    ratio = statistics.median(r[0] / r[1] for r in results)
    verdict = "goal met" if ratio <= goal else "goal missed"
    print("%-22s %7.1f ms   %-22s %7.1f ms   ratio %.3f  (%s, <= %.2f)"
          % (name, program, floor, base, ratio, verdict, goal), flush=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--pairs", type=int, default=21)
    parser.add_argument("--exe", help="a built vorlinde.exe to measure instead of building one")
    parser.add_argument("--inspect-exe", help="a built vorlinde-inspect.exe to measure")
    options = parser.parse_args()

    build_floors()
    built = (None, None) if options.exe and options.inspect_exe else build_programs()
    shutil.copyfile(options.exe or built[0], os.path.join(FOLDER, PROGRAM))
    shutil.copyfile(options.inspect_exe or built[1], os.path.join(FOLDER, INSPECTOR))
    try:
        start_prefix()
        print("%d pairs after %d warm-up pairs, medians of wall time:" % (options.pairs,
                                                                         WARM_UP_PAIRS))
        preceding = 0
        for name, program, args, floor, buttons, goal in MODES:
            if buttons > preceding:
                add_preceding_buttons(buttons)
                preceding = buttons
            installs = floor == "InstallFloor.exe"
            before_pair = reset_layout if installs else (lambda: None)
            report(name, floor, goal, measure(program, args, floor, options.pairs, before_pair))
    finally:
        subprocess.run(["wineserver", "-k"], env=ENV)
    return 0


if __name__ == "__main__":
    sys.exit(main())
