"""The list of retried tests that ./test prints, read from saved CTest output."""
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import retried_tests  # noqa: E402

HERE = os.path.dirname(__file__)
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


# A real run of `ctest -j2 --repeat until-pass:2`: one test fails once then passes, one fails twice,
# one passes at once; a retry's result line has no "n/m" counter in front.
with open(os.path.join(HERE, "ctest-retry.log")) as log:
    lines = log.read().splitlines()
found = retried_tests.retried(lines)
check(found == [("e2e.flaky.once", True), ("unit.broken", False)], f"retried: {found}")
check(retried_tests.summary(found) == "Tests that needed a second run: e2e.flaky.once, unit.broken (failed again)",
      retried_tests.summary(found))

# A timeout and a crash count as failures; a test that passed at once is not listed.
lines = ["1/2 Test  #7: e2e.slow .....***Timeout 600.02 sec",
         "2/2 Test #12: unit.crash ...***Exception: SegFault  0.10 sec",
         "    Test  #7: e2e.slow .....   Passed   30.00 sec",
         "    Test #12: unit.crash ...***Exception: SegFault  0.10 sec",
         "1/1 Test  #3: unit.fine .....   Passed    0.01 sec"]
check(retried_tests.retried(lines) == [("e2e.slow", True), ("unit.crash", False)],
      f"retried: {retried_tests.retried(lines)}")
check(retried_tests.summary([]) == "Tests that needed a second run: none", retried_tests.summary([]))

# Two runs of the same tests (as with and without sanitizers) are told apart, not added up.
saved = os.path.join(HERE, "ctest-retry.log")
found = retried_tests.from_logs([saved, saved])
check(found == [("e2e.flaky.once [ctest-retry]", True), ("unit.broken [ctest-retry]", False)] * 2, f"{found}")
with open(os.path.join(HERE, "ctest-retry.log")) as log:
    once = [line for line in log.read().splitlines() if line.startswith("2/3 Test")]
with tempfile.NamedTemporaryFile("w", suffix=".log") as first, tempfile.NamedTemporaryFile("w", suffix=".log") as second:
    for f in (first, second):
        f.write("\n".join(once) + "\n")
        f.flush()
    found = retried_tests.from_logs([first.name, second.name])
    check(found == [], f"a test run once in each of two logs counted as retried: {found}")

# A stage that stopped before its tests left no log: the others are still read, the missing one named.
absent = os.path.join(HERE, "no-such-stage.log")
found = retried_tests.from_logs([saved, absent])
check(found == [("e2e.flaky.once [ctest-retry]", True), ("unit.broken [ctest-retry]", False)],
      f"with a missing log: {found}")
check(retried_tests.missing([saved, absent]) == [absent], f"missing: {retried_tests.missing([saved, absent])}")

# Only end-to-end tests may need their second run. A real run where CTest reported success: a
# GoogleTest case failed once and passed again, beside an end-to-end test that did the same.
unit_retry = os.path.join(HERE, "ctest-unit-retry.log")
with open(unit_retry) as log:
    lines = log.read().splitlines()
check("100% tests passed" in "\n".join(lines), "the saved log is not one CTest called a success")
found = retried_tests.retried(lines)
check(found == [("e2e.flaky.once", True), ("Sound.PlaysOnce", True)], f"retried: {found}")
check(retried_tests.forbidden(found) == "Not end-to-end tests, so a failure even where the second run passed: "
      "Sound.PlaysOnce", f"forbidden: {retried_tests.forbidden(found)}")
check(retried_tests.forbidden([("e2e.flaky.once", True), ("e2e.tennis.serve", False)]) is None,
      "an end-to-end retry was refused")
# A test that failed twice is named too, and a log's name in brackets does not hide a test's kind.
check(retried_tests.forbidden(retried_tests.from_logs([saved, unit_retry])) ==
      "Not end-to-end tests, so a failure even where the second run passed: "
      "unit.broken [ctest-retry], Sound.PlaysOnce [ctest-unit-retry]",
      f"forbidden: {retried_tests.forbidden(retried_tests.from_logs([saved, unit_retry]))}")


def run_script(*logs):
    return subprocess.run([sys.executable, os.path.join(HERE, "..", "..", "scripts", "retried_tests.py"), *logs],
                          capture_output=True, text=True, timeout=60)


# As ./test calls it: the summary on standard output, the refusal on standard error and in the
# exit status.
result = run_script(unit_retry, absent)
check(result.returncode == 1, f"exit status {result.returncode} with a unit test retried")
check(result.stdout.splitlines() == [
    "Tests that needed a second run: e2e.flaky.once [ctest-unit-retry], Sound.PlaysOnce [ctest-unit-retry]",
    "Tests that did not run here: none",
    f"No test log {absent}: that stage ran no tests"], f"stdout: {result.stdout!r}")
check(result.stderr == "Not end-to-end tests, so a failure even where the second run passed: "
      "Sound.PlaysOnce [ctest-unit-retry]\n", f"stderr: {result.stderr!r}")
with tempfile.NamedTemporaryFile("w", suffix=".log") as e2e_only:
    e2e_only.write("\n".join(line for line in lines if "Sound.PlaysOnce" not in line) + "\n")
    e2e_only.flush()
    result = run_script(e2e_only.name)
    check(result.returncode == 0 and result.stderr == "", f"an end-to-end retry failed the run: {result}")
    check(result.stdout == "Tests that needed a second run: e2e.flaky.once\nTests that did not run here: none\n",
          f"stdout: {result.stdout!r}")

# A test that did not run here (a GoogleTest case that called GTEST_SKIP, a program exiting with its
# SKIP_RETURN_CODE) is one CTest counts as passed in a "100% tests passed" run: it is named, by log,
# and is no retry. A real run: two skipped tests beside a passing one.
skipped_log = os.path.join(HERE, "ctest-skipped.log")
with open(skipped_log) as log:
    lines = log.read().splitlines()
check("100% tests passed" in "\n".join(lines), "the saved log is not one CTest called a success")
check(retried_tests.skipped(lines) == ["benchmark.not_measurable", "unit.needs_root"],
      f"skipped: {retried_tests.skipped(lines)}")
check(retried_tests.retried(lines) == [], f"a skipped test counted as retried: {retried_tests.retried(lines)}")
# Skipped on its first run but passed on its second is no skip; a test that failed is no skip either.
check(retried_tests.skipped(["1/2 Test #4: e2e.a ....***Skipped   0.01 sec", "2/2 Test #5: unit.b ...***Failed  0.01 sec",
                             "    Test #4: e2e.a ....   Passed    1.00 sec"]) == [], "a later pass still skipped")
result = run_script(skipped_log, unit_retry)
check(result.stdout.splitlines()[1] == "Tests that did not run here (skipped, not passed): "
      "benchmark.not_measurable [ctest-skipped], unit.needs_root [ctest-skipped]", f"stdout: {result.stdout!r}")

for failure in failures:
    print("FAIL:", failure, file=sys.stderr)
sys.exit(1 if failures else 0)
