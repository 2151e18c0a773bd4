"""Checks Mivra as someone else's program sees it once installed: from `cmake --install` into a
scratch root (DESTDIR), or from the Debian package unpacked with `dpkg -x`.

  stage install BUILD ROOT     install the build into ROOT
  stage deb BUILD ROOT         make the package with cpack, check its control fields, unpack it
  cmake ROOT WORK              build tests/package/consumer with find_package(Mivra), run each
                               (the five module programs and the reference's first program)
  pkgconfig ROOT WORK          build the same programs with `pkg-config --cflags --libs`, run each
  programs ROOT                the thirteen programs and the resources are there, and each program
                               finds the libraries beside it without help

The install prefix, library directory and the rest come from the environment the CTest
registration sets (MIVRA_PREFIX, MIVRA_LIBDIR, ...). Exits non-zero, with one line on standard
error saying why, on the first failure.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

MODULES = ["system", "window", "graphics", "audio", "network"]
# What each consumer program prints when the module works (see consumer/*.cpp).
EXPECTED_OUTPUT = {
    "system": "system: Grüße, ☃ | mivra: cannot open the file: a.txt: no such file\n",
    "window": "window: opened 320x240, closed yes\n",
    "graphics": "graphics: 3x2 PNG read back, pixel (2, 1) = 10 20 30\n",
    "audio": "audio: 4410 samples at 44100 Hz read back from WAV\n",
    "network": "network: 127.0.0.1, packet -7 hello\n",
}
CONSUMER_DIR = Path(__file__).resolve().parent / "consumer"
# The reference's first program (consumer/first_program.cpp): a window, a sprite, a text and a
# sound, run offscreen in the resource directory, whose files it loads; it ends when its sound has
# played, and prints nothing.
FIRST_PROGRAM = "first_program"
FIRST_PROGRAM_MODULES = ["graphics", "audio"]
EXPECTED_OUTPUT[FIRST_PROGRAM] = ""


class Failure(Exception):
    pass


def env(name):
    value = os.environ.get(name)
    if not value:
        raise Failure(f"{name} is not set (the CTest registration sets it)")
    return value


def run(command, **kwargs):
    result = subprocess.run(command, capture_output=True, text=True, **kwargs)
    if result.returncode != 0:
        raise Failure(f"{' '.join(map(str, command))} exited with {result.returncode}:\n"
                      f"{result.stdout}{result.stderr}")
    return result


def prefix_in(root):
    return root / env("MIVRA_PREFIX").lstrip("/")


def libdir_in(root):
    return prefix_in(root) / env("MIVRA_LIBDIR")


def fresh(directory):
    shutil.rmtree(directory, ignore_errors=True)
    directory.mkdir(parents=True)
    return directory


def stage_install(build, root):
    fresh(root)
    run(["cmake", "--install", str(build)], env={**os.environ, "DESTDIR": str(root)})
    check_libraries(root)


def check_libraries(root):
    """Each module is a shared library with a versioned name that exports mivra:: but not mivra::detail::."""
    version = env("MIVRA_VERSION").split(".")
    for module in MODULES:
        soname = f"libmivra-{module}.so.{version[0]}.{version[1]}"
        library = libdir_in(root) / soname
        if not library.is_file():
            raise Failure(f"{library} is missing")
        if f"(SONAME)             Library soname: [{soname}]" not in run(["readelf", "-d", str(library)]).stdout:
            raise Failure(f"{library} does not carry the name {soname}")
        exported = run(["nm", "-DC", "--defined-only", str(library)]).stdout.splitlines()
        names = [line.split(" ", 2)[2] for line in exported if line.count(" ") >= 2]
        internal = [name for name in names if name.startswith("mivra::detail::") or not name.startswith(
            ("mivra::", "vtable for mivra::", "typeinfo for mivra::", "typeinfo name for mivra::",
             "non-virtual thunk to mivra::", "guard variable for mivra::"))]
        if internal or not names:
            raise Failure(f"{soname} exports {len(names)} symbols, of which not public: {internal[:5]}")


def control_field(deb, field):
    return run(["dpkg-deb", "--field", str(deb), field]).stdout.strip()


def stage_deb(build, root):
    output = fresh(root.parent / (root.name + "-deb"))
    run(["cpack", "-G", "DEB", "--config", str(build / "CPackConfig.cmake"), "-B", str(output)], cwd=output)
    debs = list(output.glob("*.deb"))
    if len(debs) != 1:
        raise Failure(f"cpack made {len(debs)} .deb files in {output}, not one")
    deb = debs[0]
    triggers = run(["dpkg-deb", "--info", str(deb), "triggers"]).stdout.split()
    if triggers != ["activate-noawait", "ldconfig"]:
        raise Failure(f"{deb.name} does not trigger ldconfig on install: triggers {triggers}")
    fresh(root)
    run(["dpkg-deb", "-x", str(deb), str(root)])
    check_libraries(root)
    check_depends(deb, root)


def declared_depends(deb):
    depends = set()
    for entry in control_field(deb, "Depends").split(","):
        for alternative in entry.split("|"):
            depends.add(alternative.strip().split(" ")[0])
    return depends


def owning_package(path):
    # dpkg knows files by the path they were installed at; /lib is a link to /usr/lib here.
    for candidate in {str(path), str(path).replace("/usr/lib/", "/lib/", 1)}:
        result = subprocess.run(["dpkg", "-S", candidate], capture_output=True, text=True)
        if result.returncode == 0:
            return result.stdout.split(":")[0].strip()
    raise Failure(f"no Debian package owns {path}")


def check_depends(deb, root):
    """Every system library the packaged binaries load comes from a package the .deb depends on."""
    declared = declared_depends(deb)
    binaries = [p for p in root.rglob("*") if p.is_file() and not p.is_symlink()]
    loaded = {}
    for binary in binaries:
        with open(binary, "rb") as file:
            elf = file.read(4) == b"\x7fELF"
        if not elf:
            continue
        # Only the libraries the binary names itself: theirs are their packages' business.
        direct = set(re.findall(r"\(NEEDED\)\s+Shared library: \[(\S+)\]", run(["readelf", "-d", str(binary)]).stdout))
        resolved = run(["ldd", str(binary)], env={**os.environ, "LD_LIBRARY_PATH": str(libdir_in(root))}).stdout
        for soname, path in re.findall(r"^\s*(\S+) => (/\S+)", resolved, re.MULTILINE):
            if soname in direct and not Path(path).resolve().is_relative_to(root.resolve()):
                loaded.setdefault(Path(path).resolve(), binary.name)
    needed = {}
    for library, binary in loaded.items():
        needed.setdefault(owning_package(library), binary)
    if not needed:
        raise Failure(f"found no system library loaded by the binaries of {deb.name}")
    missing = sorted(f"{package} (for {binary})" for package, binary in needed.items() if package not in declared)
    if missing:
        raise Failure(f"{deb.name} does not depend on {', '.join(missing)}")
    print(f"{deb.name}: Depends covers the {len(needed)} packages its binaries load: {', '.join(sorted(needed))}")


def run_consumers(executables, root, work, extra_env):
    scratch = Path(tempfile.mkdtemp(dir=work))
    resources = root / env("MIVRA_RESOURCE_DIR").lstrip("/")
    for module, executable in executables.items():
        if module == FIRST_PROGRAM:
            command, cwd, drivers = [str(executable)], resources, {"SDL_VIDEODRIVER": "offscreen",
                                                                   "SDL_AUDIODRIVER": "dummy"}
        else:
            command, cwd, drivers = [str(executable), str(scratch)], None, {"SDL_VIDEODRIVER": "dummy"}
        result = subprocess.run(command, capture_output=True, text=True, cwd=cwd,
                                env={**os.environ, **drivers, **extra_env}, timeout=60)
        if result.returncode != 0 or result.stdout != EXPECTED_OUTPUT[module] or result.stderr:
            raise Failure(f"the {module} program built against the installed library exited with "
                          f"{result.returncode}, printing {result.stdout!r} and {result.stderr!r}")
        print(result.stdout or f"{module}: ran and ended by itself\n", end="")


def route_cmake(root, work):
    build = fresh(work / "cmake")
    run(["cmake", "-S", str(CONSUMER_DIR), "-B", str(build), "-G", "Ninja",
         f"-DCMAKE_CXX_COMPILER={env('MIVRA_CXX')}", f"-DCMAKE_PREFIX_PATH={prefix_in(root)}"])
    run(["cmake", "--build", str(build)])
    # CMake records the libraries' directory in the programs' run path: no environment needed.
    run_consumers({module: build / module for module in MODULES + [FIRST_PROGRAM]}, root, work, {})


def route_pkgconfig(root, work):
    build = fresh(work / "pkgconfig")
    prefix = prefix_in(root)
    pkgconfig = ["pkg-config", f"--define-variable=prefix={prefix}"]
    search = {**os.environ, "PKG_CONFIG_PATH": str(libdir_in(root) / "pkgconfig")}
    executables = {}
    for module in MODULES:
        flags = run(pkgconfig + ["--cflags", "--libs", f"mivra-{module}"], env=search).stdout.split()
        if not any(flag == f"-I{prefix}/{env('MIVRA_INCLUDEDIR')}" for flag in flags):
            raise Failure(f"pkg-config gave mivra-{module} no include directory inside {prefix}: {flags}")
        executables[module] = build / module
        run([env("MIVRA_CXX"), str(CONSUMER_DIR / f"{module}.cpp"), "-o", str(executables[module])] + flags)
    flags = run(pkgconfig + ["--cflags", "--libs"] + [f"mivra-{m}" for m in FIRST_PROGRAM_MODULES], env=search).stdout
    executables[FIRST_PROGRAM] = build / FIRST_PROGRAM
    run([env("MIVRA_CXX"), str(CONSUMER_DIR / f"{FIRST_PROGRAM}.cpp"), "-o", str(executables[FIRST_PROGRAM])] +
        flags.split())
    # As after `ldconfig` on a real install: the loader finds the libraries in their directory.
    run_consumers(executables, root, work, {"LD_LIBRARY_PATH": str(libdir_in(root))})


def check_programs(root):
    bindir = prefix_in(root) / env("MIVRA_BINDIR")
    programs = env("MIVRA_PROGRAM_LIST").split()
    for program in programs:
        path = bindir / program
        if not os.access(path, os.X_OK):
            raise Failure(f"{path} is missing or not executable")
        lines = run(["ldd", str(path)], env={k: v for k, v in os.environ.items() if k != "LD_LIBRARY_PATH"}).stdout
        found = [re.match(r"\s*libmivra-\S+ => (/\S+)", line) for line in lines.splitlines() if "libmivra-" in line]
        if not found or any(not match or Path(match.group(1)).resolve().parent != libdir_in(root).resolve()
                            for match in found):
            raise Failure(f"{program} does not find its libraries beside it through its run path:\n{lines}")
    resources = root / env("MIVRA_RESOURCE_DIR").lstrip("/")
    for name in ["tuffy.ttf", "Tuffy.ttf"]:
        if not (resources / name).is_file():
            raise Failure(f"the resource {resources / name} is missing")
    print(f"{len(programs)} programs find their libraries; resources in {resources}")


def main(argv):
    try:
        if argv[1:2] == ["stage"] and len(argv) == 5 and argv[2] in ("install", "deb"):
            (stage_install if argv[2] == "install" else stage_deb)(Path(argv[3]), Path(argv[4]))
        elif argv[1:2] == ["cmake"] and len(argv) == 4:
            route_cmake(Path(argv[2]), fresh(Path(argv[3])))
        elif argv[1:2] == ["pkgconfig"] and len(argv) == 4:
            route_pkgconfig(Path(argv[2]), fresh(Path(argv[3])))
        elif argv[1:2] == ["programs"] and len(argv) == 3:
            check_programs(Path(argv[2]))
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except Failure as failure:
        print(f"check_package: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
