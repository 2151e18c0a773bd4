"""The one list of programs (programs.txt): it names every program directory, and ./run's name
check, from scripts/common.sh, takes exactly those names."""
import os
import subprocess
import sys

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


with open(os.path.join(ROOT, "programs.txt")) as f:
    listed = [line.strip() for line in f if line.strip() and not line.startswith("#")]
directories = [name for name in os.listdir(ROOT)
               if os.path.isfile(os.path.join(ROOT, name, "main.cpp"))
               and os.path.isfile(os.path.join(ROOT, name, "CMakeLists.txt"))]
check(sorted(listed) == sorted(directories), f"programs.txt {sorted(listed)} vs directories {sorted(directories)}")
check(len(set(listed)) == len(listed), f"a program listed twice: {listed}")


def shell(script, *args):
    return subprocess.run(["bash", "-c", f'source "{ROOT}/scripts/common.sh"; {script}', "sh", *args],
                          capture_output=True, text=True, timeout=30)


names = shell('printf "%s\\n" "${MIVRA_PROGRAM_NAMES[@]}"')
check(names.returncode == 0 and names.stdout.split() == listed,
      f"the shell reads {names.stdout.split()!r} ({names.stderr.strip()}), the file lists {listed!r}")
for name in listed:
    result = shell('is_program "$1"', name)
    check(result.returncode == 0, f"{name!r} is not taken as a program: {result.stderr.strip()}")
for name in ["", "islan", "island2", "../tools/island-panelshot", "island/..", "ISLAND", "# The"]:
    result = shell('is_program "$1"', name)
    check(result.returncode == 1, f"{name!r} is taken as a program ({result.returncode})")

for failure in failures:
    print("FAIL:", failure, file=sys.stderr)
sys.exit(1 if failures else 0)
