#!/usr/bin/python3
"""Names the tests that CTest ran more than once under --repeat until-pass, from its console
output (one or more saved logs), so that a flaky test is seen even when its second run passed; and
the tests that did not run here (CTest's "Skipped": a GoogleTest case that called GTEST_SKIP, a
program that exited with its test's SKIP_RETURN_CODE), which CTest counts among the passes.

Only end-to-end tests may pass on their second run: a window test starved of CPU by its neighbour
is a fact of a shared machine, while a unit, script, layout or benchmark test that fails once is a
fault to fix. Any other test with more than one run is named again on a line of its own and the
exit status is 1, even when CTest itself reported success.

usage: retried_tests.py LOG...   (each log one CTest run)
"""
import os
import re
import sys

# "12/80 Test #34: e2e.tennis.serve ......***Failed   5.20 sec"; a retry's line has no "12/80".
RESULT = re.compile(r"^(?:\d+/\d+ )?\s*Test\s+#\d+: (\S+) \.*\s*(\*\*\*)?(\S+)")

# The names mivra_add_e2e_test gives (and the label `e2e` that ./test retries by).
END_TO_END = re.compile(r"^e2e\.")


def retried(lines):
    """(name, passed in the end) of every test with more than one result, in order of first run."""
    runs = {}
    for line in lines:
        match = RESULT.match(line)
        if match:
            name, failed = match.group(1), match.group(2) is not None or match.group(3) != "Passed"
            runs.setdefault(name, []).append(not failed)
    return [(name, results[-1]) for name, results in runs.items() if len(results) > 1]


def skipped(lines):
    """The names of the tests whose last result is CTest's "Skipped", in order of first run."""
    last = {}
    for line in lines:
        match = RESULT.match(line)
        if match:
            last[match.group(1)] = match.group(2) is not None and match.group(3) == "Skipped"
    return [name for name, was_skipped in last.items() if was_skipped]


def may_retry(name):
    """Whether a test may need its second run (the name may end in its log's " [stem]")."""
    return END_TO_END.match(name) is not None


def summary(tests):
    if not tests:
        return "Tests that needed a second run: none"
    names = [name if passed else f"{name} (failed again)" for name, passed in tests]
    return "Tests that needed a second run: " + ", ".join(names)


def forbidden(tests):
    """The line naming the retried tests that are not end-to-end tests, or None."""
    names = [name for name, _ in tests if not may_retry(name)]
    if not names:
        return None
    return "Not end-to-end tests, so a failure even where the second run passed: " + ", ".join(names)


def skipped_summary(names):
    if not names:
        return "Tests that did not run here: none"
    return "Tests that did not run here (skipped, not passed): " + ", ".join(names)


def missing(paths):
    """The logs that are not there: their stage did not get as far as its tests."""
    return [path for path in paths if not os.path.exists(path)]


def from_logs(paths, read=None):
    """The retried tests of each log (or the names `read` finds in its lines); with several logs
    (runs of the same tests in other builds), each name is followed by its log's name in brackets.
    A missing log adds nothing."""
    tests = []
    for path in paths:
        if not os.path.exists(path):
            continue
        with open(path, errors="replace") as log:
            lines = log.read().splitlines()
        stem = f" [{os.path.splitext(os.path.basename(path))[0]}]" if len(paths) > 1 else ""
        if read:
            tests += [name + stem for name in read(lines)]
        else:
            tests += [(name + stem, passed) for name, passed in retried(lines)]
    return tests


def main(paths):
    tests = from_logs(paths)
    print(summary(tests))
    print(skipped_summary(from_logs(paths, skipped)))
    for path in missing(paths):
        print(f"No test log {path}: that stage ran no tests")
    line = forbidden(tests)
    if line:
        print(line, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
