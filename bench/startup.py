#!/usr/bin/env python3
"""Start-up benchmark: the wall time of each mode of vorlinde.exe, of a report
run of vorlinde-inspect.exe and of the runs of vorlinde-agent.exe, each
against a fair floor, a plain C program doing the same work, under Wine.

A route names the programs and the Wine they run on (bench/prefix.py):
"twin", the 64-bit twin (windows64 preset) in a 64-bit prefix, the figures
that count on a machine that runs no 32-bit code; "win32" and "wow64", the
real 32-bit programs (windows preset) in a 32-bit and in a 64-bit prefix,
where the machine runs 32-bit code. The floors (bench/*.c, Win32 calls
only, no C++ runtime) are built with MinGW for the route's bitness, the
programs with the route's preset unless --exe, --inspect-exe and
--agent-exe name them.

The prefix is made once per route and programs: the machine part written
as an administrator writes it (vorlinde-inspect /InstallMachinePart, so that
the agent finds the install recorded, with two same-class buttons after
ours), the agent run once to place the button (whose note the "placed"
state puts back), and its registry saved. Every run starts from those
files: a persistent wineserver is started and the prefix is left to settle.
In each mode the program and its floor run in pairs, in an order drawn at
random with as many pairs begun by either (--seed repeats a draw); in a
pair each runs --repeats times in turn and its shortest run stands for it
(the machine's noise only adds time), before each run the mode's
state is put back the same way, and after each the machine is left quiet
for a moment, so that no run starts on the last one's unfinished end. A
pair during which the wineserver saved the registry to disk is measured
again. Once per mode both leave their layout for a comparison: a
floor that ends elsewhere than the program does other work, and the run is
refused.

For each mode it prints the medians, the median of the per-pair ratios and
the lowest and highest per-pair ratio. Goals: every mode at most 1.10 times
its floor, the install behind 1,000 buttons of the same class, whose time
is the count's, at most 1.05. A mode tells whether its goal is met only
when the distribution-free 95% interval of its median ratio (the k-th
lowest to the k-th highest pair, k from the binomial tails) lies wholly on
one side of the goal; else it is "too unsteady". With
--runs N the bench runs N times one after another, each from a freshly
started prefix, and ends with a table of each mode's median ratio per run;
a figure is a result only when every run was steady and the runs' medians
spread no wider than their margin to the goal. Otherwise the exit code is 1,
after every mode was measured.

    python3 bench/startup.py [--route twin|win32|wow64] [--runs 3] [--pairs 21] [--repeats 3]
                             [--seed N] [--exe PATH] [--inspect-exe PATH]
                             [--agent-exe PATH]
    python3 bench/startup.py --dry-run   # builds the floors, prints the plan
"""
import argparse
import hashlib
import json
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

from figures import Figure, median_interval, table
from prefix import ROOT, ROUTES, Prefix

BENCH = os.path.join(ROOT, "bench")
WARM_UP_PAIRS = 3
SAVE_SLACK = 0.2  # seconds: how long a registry save may still be going on
# Seconds of quiet after every timed run and every import of a mode's state,
# so that each run starts as the first of a pair does, with the last
# process's end worked off: run back to back, whichever of a pair went first
# had the idler machine.
RUN_GAP = 0.2
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


def entries(*ids):
    return [n for id in ids for n in (id, 1, 0, 0)]


# A browser's layout (seven entries) before our button; with the entries of
# the two same-class buttons after ours (ids 16 and 17 while ours is not
# there); and as the agent's placement leaves it: ours at entry index 2 with
# id 16, the later two one id up.
DEFAULT_LAYOUT = [7, 0, 0, 0] + entries(1, 3, 4, 5, 6, 7)
UNPLACED_LAYOUT = DEFAULT_LAYOUT + entries(16, 17)
PLACED_LAYOUT = DEFAULT_LAYOUT[:8] + entries(16) + DEFAULT_LAYOUT[8:] + entries(17, 18)
LATER_BUTTONS = 2

COUNT_GOAL = 1.05
MODE_GOAL = 1.10


class Mode:
    def __init__(self, name, program, args, floor, floor_args=(), state=None, buttons=0,
                 goal=MODE_GOAL, setup=None, settle=0.0):
        self.name, self.program, self.args = name, program, tuple(args)
        self.floor, self.floor_args = floor + ".exe", tuple(floor_args)
        self.state, self.buttons, self.goal = state, buttons, goal
        # A step before the mode's runs: "remove", "record" or "report size".
        self.setup = setup
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
    Mode("install, 100 before", PROGRAM, (), "InstallFloor", state="layout", buttons=100),
    # Recorded behind the 100 before the 1,000 are there (no install of a
    # button with a command id past 255 is recorded): both find the keys
    # changed since the install, and leave the layout as it is.
    Mode("agent, 1,000 before", AGENT, (), "AgentFloor", state="unplaced", buttons=1000,
         setup="record"),
    # Command id 1,016 does not fit the entry's byte: both stop after the count.
    Mode("install, 1,000 before", PROGRAM, (), "InstallFloor", state="layout", buttons=1000,
         goal=COUNT_GOAL),
]


# ---- Building ---------------------------------------------------------------

def build_floors(route):
    os.makedirs(route.folder, exist_ok=True)
    for name, (libraries, windowed) in FLOORS.items():
        subsystem = ["-mwindows"] if windowed else []
        subprocess.run([route.compiler, "-Os", "-s", "-Wall", "-Wextra", "-Werror"] + subsystem +
                       [os.path.join(BENCH, name + ".c"), "-o",
                        os.path.join(route.folder, name + ".exe")] + libraries, check=True)


def build_programs(route):
    for step in (["cmake", "--preset", route.preset],
                 ["cmake", "--build", "--preset", route.preset, "--target", "vorlinde",
                  "vorlinde-inspect", "vorlinde-agent"]):
        subprocess.run(step, cwd=ROOT, check=True, stdout=subprocess.DEVNULL)
    return route.programs()


def copy_programs(route, paths):
    """The programs beside the floors, with the icon the machine part names;
    a digest of them, which names the prefix made for them."""
    digest = hashlib.sha256()
    for name in sorted(paths):
        shutil.copyfile(paths[name], os.path.join(route.folder, name))
        with open(paths[name], "rb") as file:
            digest.update(file.read())
    shutil.copyfile(os.path.join(ROOT, "build", route.preset, "icons", "shop.ico"),
                    os.path.join(route.folder, "shop.ico"))
    return digest.hexdigest()


def hex_bytes(values):
    return ",".join("%02x" % value for value in values)


def button_lines(names):
    lines = []
    for name in names:
        lines += ["[%s\\%s]" % (EXTENSIONS, name), '"ButtonText"="Button %s"' % name[1:9],
                  '"Icon"="C:\\\\bench\\\\shop.ico"', '"clsid"="%s"' % BUTTON_CLSID, ""]
    return lines


def preceding_names(count):
    """Same-class keys whose names ({0000000x-...}) sort before the
    program's key {8A918C1D-...}."""
    return ["{%08X-0000-4000-8000-000000000000}" % number for number in range(count)]


def later_names():
    return ["{F%07X-0000-4000-8000-000000000000}" % number for number in range(LATER_BUTTONS)]


def layout_lines(layout, note_lines):
    """The layout as given; the note and the user's Active Setup copy
    deleted, then put back as `note_lines` has them (none: left deleted)."""
    return (["[%s]" % COMMAND_BAR, '"ButtonLayout"=hex:%s' % hex_bytes(layout), "",
             "[-%s]" % USER_NOTE, "", "[-%s]" % USER_ACTIVE_SETUP, ""] + note_lines)


# ---- The prefix's first steps -----------------------------------------------

def first_steps(prefix):
    """The http handler, the machine's identity, two same-class buttons after
    ours and the machine part as an administrator writes it; then the agent
    run once, whose placement and note the "placed" state puts back."""
    handler = '"C:\\bench\\EmptyProgram.exe" "%1"'
    views = [("/reg:32",), ("/reg:64",)] if prefix.route.arch == "win64" else [()]
    for view in views:  # whichever view the shell in a program reads
        prefix.wine("reg", "add", r"HKEY_CLASSES_ROOT\http\shell\open\command", "/ve", "/d",
                    handler, "/f", *view)
    prefix.reg("add", r"HKEY_LOCAL_MACHINE\SOFTWARE\Vorlinde.Machine", "/v", "Identity", "/d",
               MACHINE_IDENTITY, "/f")
    prefix.import_reg(prefix.write_reg_file("later.reg", button_lines(later_names())))
    run_inspector(prefix, "/InstallMachinePart")
    prefix.import_reg(prefix.write_reg_file("state-unplaced.reg", layout_lines(UNPLACED_LAYOUT, [])))
    if prefix.run(AGENT).returncode != 0:
        raise RuntimeError("the agent's first placement failed")
    found = prefix.query_binary(COMMAND_BAR, "ButtonLayout")
    if found != bytes(PLACED_LAYOUT):
        raise RuntimeError("the agent's first placement left %s, not %s" %
                           (found and found.hex(), bytes(PLACED_LAYOUT).hex()))
    note = prefix.export_lines(USER_NOTE) + prefix.export_lines(USER_ACTIVE_SETUP)
    prefix.write_reg_file("state-placed.reg", layout_lines(PLACED_LAYOUT, note))
    prefix.write_reg_file("state-layout.reg",
                          ["[%s]" % COMMAND_BAR, '"ButtonLayout"=hex:%s' % hex_bytes(DEFAULT_LAYOUT),
                           ""])


def make_prefix(prefix, digest):
    """Made anew when the programs are others than those it was made for."""
    stamp = os.path.join(prefix.route.pristine, "programs.sha256")
    if os.path.exists(stamp) and open(stamp).read() != digest:
        shutil.rmtree(prefix.route.pristine)
    prefix.make_once(first_steps)
    with open(stamp, "w") as file:
        file.write(digest)


# ---- Measuring ------------------------------------------------------------------

def pair_orders(pairs, rng):
    """As many pairs begun by the program as by the floor (one more when
    odd), in an order drawn at random: neither runs on a machine that the
    other always warmed, and no pattern of the order falls in step with
    one of the machine's."""
    orders = [True] * ((pairs + 1) // 2) + [False] * (pairs // 2)
    rng.shuffle(orders)
    return orders


def state_file(mode):
    return "C:\\bench\\state-%s.reg" % mode.state if mode.state else None


def measure(prefix, mode, pairs, rng, repeats=1):
    """The mode's pairs; in each, program and floor run `repeats` times
    in turn, and each one's shortest run stands for it: the machine's noise
    only ever adds time, so the shortest of a few runs is its program's.
    Also every run's time, pair by pair, for a look at what varies."""
    state = state_file(mode)

    def one_run(program, args, windows):
        if state:
            # The import is a Wine process too: its end is worked off
            # before the timed run, not during it.
            prefix.import_reg(state)
            time.sleep(RUN_GAP)
        start = time.time()
        seconds = prefix.seconds(program, args)
        windows.append((start, time.time()))
        time.sleep(max(mode.settle, RUN_GAP))
        return seconds

    def saved_during(windows):
        # The server writes the registry to disk every 30 seconds while it
        # is changed; a run that shared the machine with that write tells
        # nothing of its program. A write still going on ends first.
        time.sleep(SAVE_SLACK)
        saved = prefix.last_registry_save()
        return any(start <= saved <= end + SAVE_SLACK for start, end in windows)

    results, repeated, pairs_seen = [], 0, []
    orders = [True, False, True][:WARM_UP_PAIRS] + pair_orders(pairs, rng)
    index = 0
    while index < len(orders):
        windows, program, base = [], [], []
        for _ in range(repeats):
            if orders[index]:
                program.append(one_run(mode.program, mode.args, windows))
                base.append(one_run(mode.floor, mode.floor_args, windows))
            else:
                base.append(one_run(mode.floor, mode.floor_args, windows))
                program.append(one_run(mode.program, mode.args, windows))
        if saved_during(windows):
            repeated += 1
            continue
        if index >= WARM_UP_PAIRS:
            results.append((min(program), min(base)))
            pairs_seen.append({"program_first": orders[index], "program": program, "floor": base})
        index += 1
    return results, repeated, pairs_seen


def layouts_left(prefix, mode):
    """The layout the program leaves and the one its floor leaves, each from
    the mode's state."""
    left = []
    for program, args in ((mode.program, mode.args), (mode.floor, mode.floor_args)):
        prefix.import_reg(state_file(mode))
        prefix.run(program, *args)
        left.append(prefix.query_binary(COMMAND_BAR, "ButtonLayout"))
    return left


def report_size(prefix):
    # Through a file: a process Wine starts meanwhile (the desktop) would
    # inherit a pipe and hold it open.
    with tempfile.TemporaryFile() as output:
        prefix.run(INSPECTOR, output=output)
        return output.seek(0, os.SEEK_END)


def prepare(prefix, mode, preceding):
    """The mode's one-time steps; returns the buttons the prefix now holds."""
    if mode.setup == "record":  # before the buttons it is to find added
        run_inspector(prefix, "/InstallMachinePart")
    if mode.buttons > preceding:
        names = preceding_names(mode.buttons)
        prefix.import_reg(prefix.write_reg_file("preceding-%d.reg" % mode.buttons,
                                                button_lines(names)))
        preceding = mode.buttons
    if mode.setup == "report size":
        mode.floor_args = (str(report_size(prefix)),)
    elif mode.setup == "remove":
        # As an administrator removes it: the record and the component are
        # left for the agent.
        run_inspector(prefix, "/Remove")
    return preceding


def run_inspector(prefix, switch):
    with tempfile.TemporaryFile() as output:
        if prefix.run(INSPECTOR, switch, output=output).returncode != 0:
            output.seek(0)
            raise RuntimeError("vorlinde-inspect %s failed:\n%s" % (
                switch, output.read().decode("utf-8", "replace")))


def call_counts(prefix, mode):
    """The registry calls of the program and of its floor, each run once
    from the mode's state: the functions whose counts differ."""
    counts = []
    for program, args in ((mode.program, mode.args), (mode.floor, mode.floor_args)):
        if mode.state:
            prefix.import_reg(state_file(mode))
        counts.append(prefix.registry_calls(program, args))
        if mode.settle:
            time.sleep(mode.settle)
    names = sorted(set(counts[0]) | set(counts[1]))
    differing = ["%s %d/%d" % (n, counts[0][n], counts[1][n]) for n in names
                 if counts[0][n] != counts[1][n]]
    return "%-22s calls (program/floor): %s; in all %d/%d" % (
        mode.name, ", ".join(differing) or "the same", sum(counts[0].values()),
        sum(counts[1].values()))


def one_run(prefix, pairs, rng, repeats=1, count_calls=False):
    """Every mode once, from a freshly started prefix; the figures (none
    when counting calls), the modes whose floor left another layout than
    the program did, and each mode's pairs as measured."""
    prefix.start("EmptyProgram.exe")
    figures, unlike, preceding, seen = [], [], 0, {}
    for mode in MODES:
        preceding = prepare(prefix, mode, preceding)
        if mode.state:
            program_left, floor_left = layouts_left(prefix, mode)
            if program_left != floor_left:
                unlike.append("%s (program %s, floor %s)" % (
                    mode.name, program_left and program_left.hex(), floor_left and floor_left.hex()))
        if count_calls:
            print(call_counts(prefix, mode), flush=True)
            continue
        results, repeated, seen[mode.name] = measure(prefix, mode, pairs, rng, repeats)
        figure = Figure(mode, results, repeated)
        print(figure.line(), flush=True)
        figures.append(figure)
    return figures, unlike, seen


def provenance(route, digest):
    """Which build ran on which machine: the figures' own words."""
    commit = subprocess.run(["git", "describe", "--always", "--dirty"], cwd=ROOT,
                            capture_output=True, text=True).stdout.strip()
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    model = next((line.split(":", 1)[1].strip() for line in open("/proc/cpuinfo")
                  if line.startswith("model name")), "unknown processor")
    return "programs of commit %s (%s preset, sha256 of the three %s), %s, %s, %d cores, %s" % (
        commit, route.preset, digest[:12], wine, model, os.cpu_count(), os.uname().release)


def print_plan(route, pairs, runs, repeats, seed):
    print("Route %s: %s; floors built with %s." % (route.name, route.words, route.compiler))
    print("%d run(s), %d measured pairs per mode after %d warm-up pairs, the shortest of %d "
          "runs of each in a pair; order seed %d" % (runs, pairs, WARM_UP_PAIRS, repeats, seed))
    for mode in MODES:
        state = "state %s before each run" % mode.state if mode.state else "no state"
        extra = ", %d same-class buttons before" % mode.buttons if mode.buttons else ""
        setup = ", first: %s" % mode.setup if mode.setup else ""
        print("  %-22s %s %s  vs  %s %s  (%s%s%s; goal <= %.2f)"
              % (mode.name, mode.program, " ".join(mode.args), mode.floor,
                 " ".join(mode.floor_args), state, extra, setup, mode.goal))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--route", choices=sorted(ROUTES), default="twin")
    parser.add_argument("--runs", type=int, default=1, help="runs one after another")
    parser.add_argument("--pairs", type=int, default=21)
    parser.add_argument("--repeats", type=int, default=3,
                        help="runs of each in a pair, the shortest standing for it")
    parser.add_argument("--clock", choices=("wall", "cpu"), default="wall",
                        help="wall time (the goals'), or the processes' and the server's processor time")
    parser.add_argument("--seed", type=int, default=None, help="the order's seed, to repeat a run")
    parser.add_argument("--exe", help="a built vorlinde.exe to measure instead of building one")
    parser.add_argument("--inspect-exe", help="a built vorlinde-inspect.exe to measure")
    parser.add_argument("--agent-exe", help="a built vorlinde-agent.exe to measure")
    parser.add_argument("--calls", action="store_true",
                        help="count each mode's registry calls against its floor's, time nothing")
    parser.add_argument("--dry-run", action="store_true",
                        help="build the floors, print the plan, run nothing")
    options = parser.parse_args()
    if median_interval([1.0] * options.pairs) is None:
        parser.error("--pairs: at least 6, for an interval of the median")
    route = ROUTES[options.route]
    seed = options.seed if options.seed is not None else random.randrange(1 << 31)

    build_floors(route)
    print_plan(route, options.pairs, options.runs, options.repeats, seed)
    if options.dry_run:
        return 0
    given = {PROGRAM: options.exe, INSPECTOR: options.inspect_exe, AGENT: options.agent_exe}
    built = {} if all(given.values()) else build_programs(route)
    digest = copy_programs(route, {name: given[name] or built[name] for name in given})
    prefix = Prefix(route, options.clock)
    runs, refusals = [], []
    try:
        make_prefix(prefix, digest)
        for number in range(options.runs):
            print("--- run %d of %d (route %s)" % (number + 1, options.runs, route.name), flush=True)
            figures, unlike, seen = one_run(prefix, options.pairs, random.Random(seed + number),
                                           options.repeats, options.calls)
            runs.append(figures)
            if seen:
                with open(os.path.join(route.build, "pairs-run%d.json" % (number + 1)), "w") as f:
                    json.dump(seen, f, indent=1)
            refusals += ["run %d: %s's floor left another layout" % (number + 1, u) for u in unlike]
    finally:
        prefix.stop()
    if options.calls:
        for refusal in refusals:
            print(refusal, file=sys.stderr)
        return 1 if refusals else 0
    text, trusted = table(runs, "%s; %s clock; %s" % (route.words, options.clock,
                                                       provenance(route, digest)))
    print("\n" + text)
    if not trusted:
        refusals.append("a figure could not tell its side of the goal")
    if refusals:
        print("REFUSED (seed %d): %s. Measure again on a quieter machine, or find what makes it "
              "vary." % (seed, "; ".join(refusals)), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
