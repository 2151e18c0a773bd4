"""A font that cannot be loaded ends the program with one line on stderr naming the file and a
non-zero status: no crash, no hang. Runs a build of the program whose resource directory is a
scratch directory of the test (argv[2]): first without the font, then with a corrupt one."""

import os
import shutil
import sys

import mivra_e2e as e2e

program, resources = sys.argv[1], sys.argv[2]
font = os.path.join(resources, "tuffy.ttf")
shutil.rmtree(resources, ignore_errors=True)
os.makedirs(resources)

for case in ("missing", "corrupt"):
    if case == "corrupt":
        with open(font, "wb") as f:
            f.write(b"this is not a font\n" * 100)
    with e2e.Session(program) as session:
        status = session.wait(timeout=30)
    lines = session.stderr.strip().splitlines()
    if status <= 0:
        e2e.fail(f"{case} font: exit status {status} (a signal is negative)")
    if len(lines) != 1 or font not in lines[0]:
        e2e.fail(f"{case} font: expected one line naming {font}, got {session.stderr!r}")
    print(f"{case}: status {status}: {lines[0]}")
print("ok")
