#!/usr/bin/env python3
"""Start-up benchmark: the wall time of each mode of vorlinde.exe, of a report
run of vorlinde-inspect.exe and of the runs of vorlinde-agent.exe, each
against a fair floor, a plain C program doing the same work, under Wine.

The floors (bench/*.c, Win32 calls only, no C++ runtime) are built with
MinGW; the programs with the windows preset unless --exe, --inspect-exe and
--agent-exe name them. Every run starts from the same prefix state: the
registry files saved once the prefix was made are put back, a persistent
wineserver is started and the prefix is left to settle. In each mode the
program and its floor run in pairs, in an order drawn at random with as many
pairs begun by either (--seed repeats a draw), and before each of the two
runs of a pair the mode's state is put back the same way. A pair during
which the wineserver saved the registry to disk is measured again.

For each mode it prints the medians, the median of the per-pair ratios and
their spread, the lowest and highest per-pair ratio. Goals: every mode at
most 1.10 times its floor, the counts behind 100 and 1,000 buttons of the
same class at most 1.05. A mode whose spread (highest minus lowest ratio) is
wider than its goal's margin (the goal minus 1) cannot tell whether the goal
is met: the run is refused, with exit code 1, after every mode was measured.

    python3 bench/startup.py [--pairs 21] [--seed N] [--exe PATH]
                             [--inspect-exe PATH] [--agent-exe PATH]
    python3 bench/startup.py --dry-run   # builds the floors, prints the plan
"""
import argparse
import glob
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BENCH = os.path.join(ROOT, "bench")
BUILD = os.path.join(ROOT, "build", "bench")
PREFIX = os.path.join(BUILD, "wineprefix")
PRISTINE = os.path.join(BUILD, "pristine-registry")
FOLDER = os.path.join(PREFIX, "drive_c", "bench")
CC = "i686-w64-mingw32-gcc-win32"  # the toolchain file's compiler
WARM_UP_PAIRS = 3
SETTLE_RUNS = 5
SAVE_SLACK = 0.2  # seconds: how long a registry save may still be going on
PROGRAM = "vorlinde.exe"
INSPECTOR = "vorlinde-inspect.exe"
AGENT = "vorlinde-agent.exe"

EXTENSIONS = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer\Extensions"
COMMAND_BAR = r"HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\LowRegistry\CommandBar"
USER_NOTE = r"HKEY_CURRENT_USER\Software\Classes\Local Settings\Software\Vorlinde"
# The prefix's machine identity, given when it is made, and so the name of
# its Active Setup component.
MACHINE_IDENTITY = "{B0C5B0C5-0000-4000-8000-00000000B0C5}"
USER_ACTIVE_SETUP = (r"HKEY_CURRENT_USER\Software\Microsoft\Active Setup\Installed Components"
                     r"\Vorlinde." + MACHINE_IDENTITY)
BUTTON_CLSID = "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"

# The floors: source, libraries, windowed (as the program they stand for).
FLOORS = {
    "InstallFloor": ([], True),
    "SaveFloor": ([], True),
    "PlainShellExecute": (["-lshell32"], True),
    "InspectorFloor": ([], False),
    "AgentFloor": ([], True),
    "EmptyProgram": ([], True),  # the prefix's http handler, so that no browser starts
}

# A browser's layout before the button (seven entries), and after an install
# put it at entry index 2 with command id 16.
DEFAULT_LAYOUT = [7, 0, 0, 0] + [n for id in (1, 3, 4, 5, 6, 7) for n in (id, 1, 0, 0)]
PLACED_LAYOUT = DEFAULT_LAYOUT[:8] + [16, 1, 0, 0] + DEFAULT_LAYOUT[8:]

# What is put back before every run of a mode, the program's and the floor's
# alike: (layout or None to leave it, delete the user's note).
STATES = {
    "none": None,
    "layout": (DEFAULT_LAYOUT, False),
    "placed": (PLACED_LAYOUT, True),
    "unplaced": (DEFAULT_LAYOUT, True),
}

COUNT_GOAL = 1.05
MODE_GOAL = 1.10


class Mode:
    def __init__(self, name, program, args, floor, floor_args=(), state="none", buttons=0,
                 goal=MODE_GOAL, setup=None, settle=0.0):
        self.name, self.program, self.args = name, program, tuple(args)
        self.floor, self.floor_args = floor + ".exe", tuple(floor_args)
        self.state, self.buttons, self.goal = state, buttons, goal
        self.setup = setup  # a step before the mode's runs: "remove" or "report size"
        self.settle = settle  # seconds to wait after each run (a started handler ends)


# In this order. The preceding buttons are added before the first mode that
# names more of them than the prefix holds, and stay; the removal takes the
# program's key out, and the install runs after it put it back.
MODES = [
    Mode("install", PROGRAM, (), "InstallFloor", state="layout"),
    Mode("/SaveAllToFile", PROGRAM, ["/SaveAllToFile"], "SaveFloor", ["/SaveAllToFile"]),
    Mode("/SaveUrlToFile", PROGRAM, ["/SaveUrlToFile"], "SaveFloor", ["/SaveUrlToFile"]),
    Mode("/OpenUrl", PROGRAM, ["/OpenUrl"], "PlainShellExecute", settle=0.5),
    Mode("inspector report", INSPECTOR, (), "InspectorFloor", setup="report size"),
    Mode("agent, nothing to do", AGENT, (), "AgentFloor", state="placed"),
    Mode("agent, placement", AGENT, (), "AgentFloor", state="unplaced"),
    Mode("agent, removal", AGENT, (), "AgentFloor", state="placed", setup="remove"),
    Mode("install, 100 before", PROGRAM, (), "InstallFloor", state="layout", buttons=100,
         goal=COUNT_GOAL),
    # Command id 1,016 does not fit the entry's byte: both stop after the count.
    Mode("install, 1,000 before", PROGRAM, (), "InstallFloor", state="layout", buttons=1000,
         goal=COUNT_GOAL),
    Mode("agent, 1,000 before", AGENT, (), "AgentFloor", state="unplaced", buttons=1000,
         goal=COUNT_GOAL),
]

ENV = dict(os.environ, WINEPREFIX=PREFIX, WINEARCH="win32", WINEDEBUG="-all",
           WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=")


# ---- Building ---------------------------------------------------------------

def build_floors():
    os.makedirs(FOLDER, exist_ok=True)
    for name, (libraries, windowed) in FLOORS.items():
        subsystem = ["-mwindows"] if windowed else []
        subprocess.run([CC, "-Os", "-s", "-Wall", "-Wextra", "-Werror"] + subsystem +
                       [os.path.join(BENCH, name + ".c"), "-o",
                        os.path.join(FOLDER, name + ".exe")] + libraries, check=True)


def build_programs():
    for step in (["cmake", "--preset", "windows"],
                 ["cmake", "--build", "--preset", "windows", "--target", "vorlinde",
                  "vorlinde-inspect", "vorlinde-agent"]):
        subprocess.run(step, cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    built = os.path.join(ROOT, "build", "windows")
    return {PROGRAM: os.path.join(built, "src", PROGRAM),
            INSPECTOR: os.path.join(built, "tools", "report", INSPECTOR),
            AGENT: os.path.join(built, "tools", "agent", AGENT)}


def write_reg_file(name, lines):
    path = os.path.join(FOLDER, name)
    with open(path, "w", newline="\r\n") as file:
        file.write("\n".join(["REGEDIT4", ""] + lines + [""]))
    return "C:\\bench\\" + name


def hex_bytes(values):
    return ",".join("%02x" % value for value in values)


def write_state_files():
    """One .reg file per state: a single `reg import` puts it back."""
    files = {}
    for state, content in STATES.items():
        if content is None:
            continue
        layout, delete_note = content
        lines = ["[%s]" % COMMAND_BAR, '"ButtonLayout"=hex:%s' % hex_bytes(layout), ""]
        if delete_note:
            lines += ["[-%s]" % USER_NOTE, "", "[-%s]" % USER_ACTIVE_SETUP, ""]
        files[state] = write_reg_file("state-%s.reg" % state, lines)
    return files


def write_preceding_buttons(count):
    """Same-class button keys whose names ({0000000x-...}) sort before the
    program's key {8A918C1D-...}."""
    lines = []
    for number in range(count):
        lines += ["[%s\\{%08X-0000-4000-8000-000000000000}]" % (EXTENSIONS, number),
                  '"ButtonText"="Button %d"' % number,
                  '"Icon"="C:\\\\bench\\\\shop.ico"',
                  '"clsid"="%s"' % BUTTON_CLSID, ""]
    return write_reg_file("preceding-%d.reg" % count, lines)


# ---- The prefix ---------------------------------------------------------------

def wine(*args, output=subprocess.DEVNULL):
    return subprocess.run(("wine",) + args, env=ENV, stdin=subprocess.DEVNULL,
                          stdout=output, stderr=subprocess.DEVNULL)


def registry_files():
    return sorted(glob.glob(os.path.join(PREFIX, "*.reg")))


def make_prefix_once():
    """A prefix made once, its registry saved as made: every later run
    starts from those same files."""
    if os.path.isdir(PRISTINE) and os.path.exists(os.path.join(PREFIX, "system.reg")):
        return
    shutil.rmtree(PRISTINE, ignore_errors=True)
    subprocess.run(["wineserver", "-k"], env=ENV, stderr=subprocess.DEVNULL)
    subprocess.run(["wineboot", "-i"], env=ENV, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    handler = '"C:\\bench\\EmptyProgram.exe" "%1"'
    wine("reg", "add", r"HKEY_CLASSES_ROOT\http\shell\open\command", "/ve", "/d", handler, "/f")
    wine("reg", "add", r"HKEY_LOCAL_MACHINE\SOFTWARE\Vorlinde.Machine", "/v", "Identity", "/d",
         MACHINE_IDENTITY, "/f", "/reg:32")
    try:  # the server ends once idle, saving it all
        subprocess.run(["wineserver", "-w"], env=ENV, timeout=120)
    except subprocess.TimeoutExpired:
        subprocess.run(["wineserver", "-k"], env=ENV)
    os.makedirs(PRISTINE + ".new")
    for path in registry_files():
        shutil.copy2(path, PRISTINE + ".new")
    os.rename(PRISTINE + ".new", PRISTINE)


def start_prefix():
    """The saved registry put back, a persistent server, the session's
    start-up done, and the prefix left until an empty program's start-up
    time stops falling: the first runs after a start pay for services
    still starting, which would fall on the first mode alone."""
    subprocess.run(["wineserver", "-k"], env=ENV, stderr=subprocess.DEVNULL)
    subprocess.run(["wineserver", "-w"], env=ENV)
    for path in glob.glob(os.path.join(PRISTINE, "*.reg")):
        shutil.copy2(path, PREFIX)
    subprocess.run(["wineserver", "-p"], env=ENV)
    subprocess.run(["wineboot", "-i"], env=ENV, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    times = []
    for _ in range(60):
        times.append(run_seconds("EmptyProgram.exe", ()))
        recent = times[-SETTLE_RUNS:]
        if len(recent) == SETTLE_RUNS and max(recent) <= 1.10 * min(recent):
            return
        time.sleep(0.5)
    print("note: the prefix did not settle; its start-up times still vary by more than 10%",
          flush=True)


def import_reg(windows_path):
    if wine("reg", "import", windows_path).returncode != 0:
        raise RuntimeError("reg import %s failed" % windows_path)


def run_seconds(program, args):
    start = time.perf_counter()
    wine("C:\\bench\\" + program, *args)
    return time.perf_counter() - start


def last_registry_save():
    return max((os.stat(path).st_mtime for path in registry_files()), default=0.0)


# ---- Measuring ------------------------------------------------------------------

def pair_orders(pairs, rng):
    """As many pairs begun by the program as by the floor (one more when
    odd), in an order drawn at random: neither runs on a machine that the
    other always warmed, and no pattern of the order falls in step with
    one of the machine's."""
    orders = [True] * ((pairs + 1) // 2) + [False] * (pairs // 2)
    rng.shuffle(orders)
    return orders


def measure(mode, pairs, rng, state_file):
    def one_run(program, args, windows):
        if state_file:
            import_reg(state_file)
        start = time.time()
        seconds = run_seconds(program, args)
        windows.append((start, time.time()))
        if mode.settle:
            time.sleep(mode.settle)
        return seconds

    def saved_during(windows):
        # The server writes the registry to disk every 30 seconds while it
        # is changed; a run that shared the machine with that write tells
        # nothing of its program. A write still going on ends first.
        time.sleep(SAVE_SLACK)
        saved = last_registry_save()
        return any(start <= saved <= end + SAVE_SLACK for start, end in windows)

    results, repeated = [], 0
    orders = [True, False, True][:WARM_UP_PAIRS] + pair_orders(pairs, rng)
    index = 0
    while index < len(orders):
        windows = []
        if orders[index]:
            program = one_run(mode.program, mode.args, windows)
            base = one_run(mode.floor, mode.floor_args, windows)
        else:
            base = one_run(mode.floor, mode.floor_args, windows)
            program = one_run(mode.program, mode.args, windows)
        if saved_during(windows):
            repeated += 1
            continue
        if index >= WARM_UP_PAIRS:
            results.append((program, base))
        index += 1
    return results, repeated


def summarize(mode, results, repeated):
    ratios = [program / base for program, base in results]
    program = statistics.median(r[0] for r in results) * 1000
    base = statistics.median(r[1] for r in results) * 1000
    ratio = statistics.median(ratios)
    low, high = min(ratios), max(ratios)
    margin = mode.goal - 1
    steady = high - low <= margin
    verdict = ("goal met" if ratio <= mode.goal else "goal missed") if steady else "too unsteady"
    print("%-22s %7.1f ms  %-22s %7.1f ms  ratio %.3f  [%.3f .. %.3f]  %s (<= %.2f)%s"
          % (mode.name, program, mode.floor, base, ratio, low, high, verdict, mode.goal,
             "  (%d pairs measured again)" % repeated if repeated else ""), flush=True)
    return steady


def report_size():
    # Through a file: a process Wine starts meanwhile (the desktop) would
    # inherit a pipe and hold it open.
    with tempfile.TemporaryFile() as output:
        wine("C:\\bench\\" + INSPECTOR, output=output)
        return output.seek(0, os.SEEK_END)


def prepare(mode, preceding):
    """The mode's one-time step; returns the buttons the prefix now holds."""
    if mode.buttons > preceding:
        import_reg(write_preceding_buttons(mode.buttons))
        preceding = mode.buttons
    if mode.setup == "report size":
        mode.floor_args = (str(report_size()),)
    elif mode.setup == "remove":
        # The removal as an administrator makes it: the key gone, the record
        # and the component left for the agent.
        if wine("C:\\bench\\" + INSPECTOR, "/Remove").returncode != 0:
            raise RuntimeError("vorlinde-inspect /Remove failed: the agent would find no removal")
    return preceding


def print_plan(pairs, seed):
    print("%d measured pairs per mode after %d warm-up pairs; order seed %d" %
          (pairs, WARM_UP_PAIRS, seed))
    for mode in MODES:
        state = "state %s before each run" % mode.state if STATES[mode.state] else "no state"
        extra = ", %d same-class buttons before" % mode.buttons if mode.buttons else ""
        setup = ", first: %s" % mode.setup if mode.setup else ""
        print("  %-22s %s %s  vs  %s %s  (%s%s%s; goal <= %.2f, spread <= %.2f)"
              % (mode.name, mode.program, " ".join(mode.args), mode.floor,
                 " ".join(mode.floor_args), state, extra, setup, mode.goal, mode.goal - 1))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--pairs", type=int, default=21)
    parser.add_argument("--seed", type=int, default=None, help="the order's seed, to repeat a run")
    parser.add_argument("--exe", help="a built vorlinde.exe to measure instead of building one")
    parser.add_argument("--inspect-exe", help="a built vorlinde-inspect.exe to measure")
    parser.add_argument("--agent-exe", help="a built vorlinde-agent.exe to measure")
    parser.add_argument("--dry-run", action="store_true",
                        help="build the floors and write the state files, run nothing")
    options = parser.parse_args()
    if options.pairs < 2:
        parser.error("--pairs: at least 2, for a spread")
    seed = options.seed if options.seed is not None else random.randrange(1 << 31)

    build_floors()
    states = write_state_files()
    print_plan(options.pairs, seed)
    if options.dry_run:
        return 0
    given = {PROGRAM: options.exe, INSPECTOR: options.inspect_exe, AGENT: options.agent_exe}
    built = {} if all(given.values()) else build_programs()
    for name in given:
        shutil.copyfile(given[name] or built[name], os.path.join(FOLDER, name))
    rng = random.Random(seed)
    unsteady = []
    try:
        make_prefix_once()
        start_prefix()
        preceding = 0
        for mode in MODES:
            preceding = prepare(mode, preceding)
            results, repeated = measure(mode, options.pairs, rng, states.get(mode.state))
            if not summarize(mode, results, repeated):
                unsteady.append(mode.name)
    finally:
        subprocess.run(["wineserver", "-k"], env=ENV, stderr=subprocess.DEVNULL)
    if unsteady:
        print("REFUSED: the per-pair ratios of %s spread wider than the goal's margin, so the "
              "run cannot say whether the goal is met; measure again on a quieter machine "
              "(seed %d)." % ("; ".join(unsteady), seed), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
