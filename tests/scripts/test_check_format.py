"""scripts/check-format.sh, on files of its own beside a copy of the repository's .clang-format: it
passes formatted files, and names each stray (and only the strays) with a failing status."""
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SCRIPT = os.path.join(ROOT, "scripts", "check-format.sh")
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def run(*files):
    return subprocess.run([SCRIPT, *files], capture_output=True, text=True, timeout=120)


with tempfile.TemporaryDirectory() as scratch:
    shutil.copy(os.path.join(ROOT, ".clang-format"), scratch)
    tidy = os.path.join(scratch, "Tidy.cpp")
    with open(tidy, "w") as f:
        f.write("namespace mivra\n{\nint twice(int value)\n{\n    return 2 * value;\n}\n} // namespace mivra\n")
    # The formatter's own output is formatted, whatever the options say.
    tidy_text = subprocess.run(["clang-format-14", "--style=file", tidy], capture_output=True, text=True,
                               check=True).stdout
    with open(tidy, "w") as f:
        f.write(tidy_text)
    stray = os.path.join(scratch, "Stray.cpp")
    with open(stray, "w") as f:
        f.write("int   twice( int value ) { if(value) {return 2*value;} return 0; }\n")

    result = run(tidy)
    check(result.returncode == 0, f"a formatted file failed: {result}")
    result = run(tidy, stray)
    check(result.returncode == 1, f"exit status {result.returncode} with a stray file")
    check(stray in result.stderr and tidy not in result.stderr, f"names: {result.stderr!r}")
    result = run(os.path.join(scratch, "Missing.cpp"))
    check(result.returncode == 2, f"a missing file gave {result.returncode}: {result}")

for failure in failures:
    print("FAIL:", failure, file=sys.stderr)
sys.exit(1 if failures else 0)
