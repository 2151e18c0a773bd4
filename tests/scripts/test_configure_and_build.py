"""configure_and_build from scripts/common.sh, as ./test calls it inside an `if` (where set -e is
off): a configure that fails stops it with a failure, before any build; one that works builds."""
import os
import subprocess
import sys
import tempfile

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


# A cmake of our own, first on PATH, that records its calls and fails the configure on request.
FAKE_CMAKE = """#!/bin/sh
echo "$*" >> "$CALLS"
case "$1" in
  --build) exit 0 ;;
  *) exit "$CONFIGURE_STATUS" ;;
esac
"""


def stage(configure_status):
    with tempfile.TemporaryDirectory() as tmp:
        with open(os.path.join(tmp, "cmake"), "w") as f:
            f.write(FAKE_CMAKE)
        os.chmod(os.path.join(tmp, "cmake"), 0o755)
        calls = os.path.join(tmp, "calls")
        env = dict(os.environ, PATH=tmp + ":" + os.environ["PATH"], CALLS=calls,
                   CONFIGURE_STATUS=str(configure_status))
        script = (f'source "{ROOT}/scripts/common.sh"\n'
                  f'if configure_and_build "{tmp}/build" -DX=1; then echo built; else echo failed; fi\n'
                  'echo after')
        result = subprocess.run(["bash", "-c", script], env=env, capture_output=True, text=True, timeout=30)
        with open(calls) if os.path.exists(calls) else open(os.devnull) as f:
            lines = f.read().splitlines()
        return result.stdout.split(), lines


said, calls = stage(1)
check(said == ["failed", "after"], f"failed configure: the stage said {said}")
check(len(calls) == 1 and not calls[0].startswith("--build"), f"failed configure: cmake called as {calls}")

said, calls = stage(0)
check(said == ["built", "after"], f"configure that works: the stage said {said}")
check(len(calls) == 2 and calls[0].endswith("-DX=1") and calls[1].startswith("--build"),
      f"configure that works: cmake called as {calls}")

for failure in failures:
    print("FAIL:", failure, file=sys.stderr)
sys.exit(1 if failures else 0)
