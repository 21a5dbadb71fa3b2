#!/usr/bin/env python3
"""Says how many Windows cases ran on which build and where, from the JUnit
files CTest wrote, and exits 1 when a case ran nowhere.

A case is a CTest test of a Windows build; its runs in the 32-bit and the
64-bit prefix (the "_win64" twin of a name) count as one case, and the Wine
prefixes' set-up and clean-up are no cases. A case ran when it passed or
failed; a skip is no run.

Usage: windows_cases.py LABEL=JUNIT_FILE...   (a missing file: not run)
"""
import os
import sys
import xml.etree.ElementTree as ElementTree

FIXTURE_SUFFIXES = ("_prefix_setup", "_prefix_cleanup")


def case_name(test):
    return test[:-len("_win64")] if test.endswith("_win64") else test


def outcomes(path):
    """{case: set of "passed" / "failed" / "skipped"} of one JUnit file."""
    found = {}
    for case in ElementTree.parse(path).getroot().iter("testcase"):
        name = case.get("name")
        if name.endswith(FIXTURE_SUFFIXES):
            continue
        if case.find("failure") is not None or case.find("error") is not None:
            outcome = "failed"
        elif case.find("skipped") is not None or case.get("status") in ("notrun", "disabled"):
            outcome = "skipped"
        else:
            outcome = "passed"
        found.setdefault(case_name(name), set()).add(outcome)
    return found


def main(arguments):
    routes = [argument.split("=", 1) for argument in arguments]
    results = {label: outcomes(path) for label, path in routes if os.path.exists(path)}
    cases = sorted({case for found in results.values() for case in found})
    print("Windows cases: %d in all" % len(cases))
    for label, path in routes:
        if label not in results:
            print("  %s: not run" % label)
            continue
        found = results[label]
        ran = [c for c in found if found[c] - {"skipped"}]
        failed = [c for c in found if "failed" in found[c]]
        skipped = [c for c in found if found[c] == {"skipped"}]
        print("  %s: %d ran (%d failed), %d skipped" % (label, len(ran), len(failed), len(skipped)))
    nowhere = [c for c in cases if not any(found.get(c, set()) - {"skipped"}
                                          for found in results.values())]
    if nowhere:
        print("FAILED: these Windows cases ran nowhere: " + ", ".join(nowhere))
        return 1
    print("Every Windows case ran on at least one build.")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
