#!/usr/bin/python3
"""Names the tests that CTest ran more than once under --repeat until-pass, from its console
output (one or more saved logs), so that a flaky test is seen even when its second run passed.

usage: retried_tests.py LOG...   (each log one CTest run)
"""
import os
import re
import sys

# "12/80 Test #34: e2e.tennis.serve ......***Failed   5.20 sec"; a retry's line has no "12/80".
RESULT = re.compile(r"^(?:\d+/\d+ )?\s*Test\s+#\d+: (\S+) \.*\s*(\*\*\*)?(\S+)")


def retried(lines):
    """(name, passed in the end) of every test with more than one result, in order of first run."""
    runs = {}
    for line in lines:
        match = RESULT.match(line)
        if match:
            name, failed = match.group(1), match.group(2) is not None or match.group(3) != "Passed"
            runs.setdefault(name, []).append(not failed)
    return [(name, results[-1]) for name, results in runs.items() if len(results) > 1]


def summary(tests):
    if not tests:
        return "Tests that needed a second run: none"
    names = [name if passed else f"{name} (failed again)" for name, passed in tests]
    return "Tests that needed a second run: " + ", ".join(names)


def missing(paths):
    """The logs that are not there: their stage did not get as far as its tests."""
    return [path for path in paths if not os.path.exists(path)]


def from_logs(paths):
    """The retried tests of each log; with several logs (runs of the same tests in other builds),
    each name is followed by its log's name in brackets. A missing log adds nothing."""
    tests = []
    for path in paths:
        if not os.path.exists(path):
            continue
        with open(path, errors="replace") as log:
            found = retried(log.read().splitlines())
        if len(paths) > 1:
            stem = os.path.splitext(os.path.basename(path))[0]
            found = [(f"{name} [{stem}]", passed) for name, passed in found]
        tests += found
    return tests


if __name__ == "__main__":
    print(summary(from_logs(sys.argv[1:])))
    for path in missing(sys.argv[1:]):
        print(f"No test log {path}: that stage ran no tests")
