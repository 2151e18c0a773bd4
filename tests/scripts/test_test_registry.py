"""What ./test's stages rely on, read from the build's own test list (ctest --show-only): an
end-to-end test, and only one, carries both the label `e2e` and a name starting with "e2e." (the
stage that retries selects by the label, retried_tests.py judges by the name); every benchmark runs
alone (RUN_SERIAL) and under no other stage's label.

usage: test_test_registry.py BUILD_DIR"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import retried_tests  # noqa: E402


def problems(tests):
    """The broken rules, one line each, for ctest's json-v1 list of tests."""
    found = []
    for test in tests:
        name = test["name"]
        properties = {p["name"]: p["value"] for p in test.get("properties", [])}
        labels = properties.get("LABELS", [])
        if ("e2e" in labels) != retried_tests.may_retry(name):
            found.append(f"{name}: labels {labels}: an end-to-end test has both the label e2e and a name "
                         "starting with e2e., any other test neither")
        if "benchmark" in labels:
            if not properties.get("RUN_SERIAL"):
                found.append(f"{name}: a benchmark without RUN_SERIAL (register it with mivra_add_benchmark)")
            if "e2e" in labels or "unit" in labels:
                found.append(f"{name}: a benchmark labelled {labels} would also run in a test stage")
    return found


def self_check():
    """The rules themselves, on made-up entries: each broken rule is seen."""
    def entry(name, labels, serial=False):
        properties = [{"name": "LABELS", "value": labels}]
        if serial:
            properties.append({"name": "RUN_SERIAL", "value": True})
        return {"name": name, "properties": properties}
    good = [entry("e2e.tennis.serve", ["e2e"]), entry("Sound.Plays", ["audio", "unit"]),
            entry("benchmark.audio.load", ["audio", "benchmark"], serial=True)]
    bad = [entry("e2e.unlabelled", ["unit"]), entry("Labelled.Only", ["e2e"]),
           entry("benchmark.crowded", ["benchmark"]), entry("benchmark.twice", ["benchmark", "unit"], serial=True)]
    failures = []
    if problems(good):
        failures.append(f"well-formed entries refused: {problems(good)}")
    if len(problems(bad)) != 4:
        failures.append(f"broken entries not all seen: {problems(bad)}")
    return failures


def listed_tests(build_dir):
    """ctest's list of the build's tests. Read from a copy of the build's CTestTestfile.cmake files:
    even --show-only rewrites Testing/Temporary/LastTest.log, which the ctest running this test is
    writing at the same time."""
    with tempfile.TemporaryDirectory() as copy:
        for directory, subdirectories, files in os.walk(build_dir):
            subdirectories[:] = [d for d in subdirectories if d != "Testing"]
            if "CTestTestfile.cmake" in files:
                target = os.path.join(copy, os.path.relpath(directory, build_dir))
                os.makedirs(target, exist_ok=True)
                shutil.copy(os.path.join(directory, "CTestTestfile.cmake"), target)
        listing = subprocess.run(["ctest", "--show-only=json-v1"], cwd=copy, capture_output=True, text=True,
                                 timeout=120, check=True)
    return json.loads(listing.stdout)["tests"]


def main(build_dir):
    failures = self_check()
    tests = listed_tests(build_dir)
    if not tests:
        failures.append(f"ctest lists no tests in {build_dir}")
    failures += problems(tests)
    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
