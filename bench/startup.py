#!/usr/bin/env python3
"""Start-up benchmark: the wall time of each mode of vorlinde.exe against the
least a program doing the same work needs, under Wine.

Builds three plain C programs with MinGW (InstallFloor.c: the install run's
registry work; EmptyProgram.c: WinMain returning 0; PlainShellExecute.c: the
same ShellExecuteA call) and, unless --exe names one, vorlinde.exe with the
windows preset. Runs each mode and its floor alternately under one Wine
prefix with a persistent wineserver, --pairs pairs after a warm-up, and
prints the medians and the median of the per-pair ratios. The prefix's http
handler is the empty program, so no browser starts.

    python3 bench/startup.py [--pairs 21] [--exe path/to/vorlinde.exe]
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
GOAL = 1.15
WARM_UP_PAIRS = 3

# (mode name, program arguments, floor program)
MODES = [
    ("install", (), "InstallFloor.exe"),
    ("/SaveAllToFile", ("/SaveAllToFile",), "EmptyProgram.exe"),
    ("/SaveUrlToFile", ("/SaveUrlToFile",), "EmptyProgram.exe"),
    ("/OpenUrl", ("/OpenUrl",), "PlainShellExecute.exe"),
]

ENV = dict(os.environ, WINEPREFIX=PREFIX, WINEARCH="win32", WINEDEBUG="-all",
           WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")


def build_floors():
    os.makedirs(FOLDER, exist_ok=True)
    for name, libraries in (("InstallFloor", []), ("EmptyProgram", []),
                            ("PlainShellExecute", ["-lshell32"])):
        subprocess.run([CC, "-Os", "-s", "-mwindows", os.path.join(BENCH, name + ".c"),
                        "-o", os.path.join(FOLDER, name + ".exe")] + libraries, check=True)


def build_program():
    for step in (["cmake", "--preset", "windows"],
                 ["cmake", "--build", "--preset", "windows", "--target", "vorlinde"]):
        subprocess.run(step, cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    return os.path.join(ROOT, "build", "windows", "src", "vorlinde.exe")


def wine(*args):
    return subprocess.run(("wine",) + args, env=ENV, stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode


def start_prefix():
    subprocess.run(["wineserver", "-p"], env=ENV)  # exits 2 when one is running already
    subprocess.run(["wineboot", "-i"], env=ENV, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    handler = '"C:\\bench\\EmptyProgram.exe" "%1"'
    wine("reg", "add", r"HKEY_CLASSES_ROOT\http\shell\open\command", "/ve", "/d", handler, "/f")


def seconds(program, args):
    start = time.perf_counter()
    wine("C:\\bench\\" + program, *args)
    return time.perf_counter() - start


def measure(args, floor, pairs):
    """Per pair: (program seconds, floor seconds); the first of each pair
    alternates so that neither always runs on a warmer machine."""
    results = []
    for index in range(WARM_UP_PAIRS + pairs):
        if index % 2 == 0:
            program = seconds("vorlinde.exe", args)
            base = seconds(floor, ())
        else:
            base = seconds(floor, ())
            program = seconds("vorlinde.exe", args)
        if index >= WARM_UP_PAIRS:
            results.append((program, base))
    return results


def report(name, floor, results):
    program = statistics.median(r[0] for r in results) * 1000
    base = statistics.median(r[1] for r in results) * 1000
    ratio = statistics.median(r[0] / r[1] for r in results)
    verdict = "goal met" if ratio <= GOAL else "goal missed"
    print("%-15s %7.1f ms   %-22s %7.1f ms   ratio %.2f  (%s, <= %.2f)"
          % (name, program, floor, base, ratio, verdict, GOAL))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--pairs", type=int, default=21)
    parser.add_argument("--exe", help="a built vorlinde.exe to measure instead of building one")
    options = parser.parse_args()

    build_floors()
    shutil.copyfile(options.exe or build_program(), os.path.join(FOLDER, "vorlinde.exe"))
    try:
        start_prefix()
        print("%d pairs after %d warm-up pairs, medians of wall time:" % (options.pairs,
                                                                         WARM_UP_PAIRS))
        for name, args, floor in MODES:
            report(name, floor, measure(args, floor, options.pairs))
    finally:
        subprocess.run(["wineserver", "-k"], env=ENV)
    return 0


if __name__ == "__main__":
    sys.exit(main())
