"""Checks Mivra as someone else's program sees it once installed: from `cmake --install` into a
scratch root (DESTDIR), or from the Debian package unpacked with `dpkg -x`.

  stage install BUILD ROOT     install the build into ROOT
  stage deb BUILD ROOT         make the package with cpack, check its control fields, unpack it
  cmake ROOT WORK              build tests/package/consumer with find_package(Mivra), run each
                               (the five module programs and the reference's first program)
  pkgconfig ROOT WORK          build the same programs with `pkg-config --cflags --libs`, run each
  incomplete ROOT WORK         a copy of ROOT without its CMake package file and one .pc file: both
                               routes must fail to find the package
  programs ROOT                the thirteen programs and the resources are there, and each program
                               finds the libraries beside it without help
  subproject WORK              build README.md's FetchContent snippet, which builds the library
                               from the source tree inside another project, with the system
                               consumer as its main.cpp; run it; the library alone was built

The consumers (tests/package/consumer/consumers.txt) are built and run in a clean root: a private
mount namespace (as root) where /usr/local, which may hold another installed copy, and the build
and source trees are hidden under empty file systems, and ROOT, WORK and a copy of the consumers'
sources are the only Mivra there is. Each run must load the package's own libraries, as the
dynamic loader reports (LD_DEBUG).

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
CONSUMER_DIR = Path(__file__).resolve().parent / "consumer"


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


def consumers(directory):
    """{name: (modules, expected standard output)} from consumers.txt and the programs' sources."""
    found = {}
    for line in (directory / "consumers.txt").read_text().splitlines():
        match = re.fullmatch(r"([a-z_]+): *(.*)", line)
        if not match:
            continue
        name, modules = match.group(1), match.group(2).split()
        source = (directory / f"{name}.cpp").read_text()
        printed = "".join(line + "\n" for line in re.findall(r"^// Prints: (.*)$", source, re.MULTILINE))
        found[name] = ([module.lower() for module in modules], printed)
    if not found:
        raise Failure(f"no consumer listed in {directory / 'consumers.txt'}")
    return found


def loaded_libraries(trace_prefix):
    """The shared libraries a run initialised, from the dynamic loader's LD_DEBUG=libs trace."""
    paths = []
    for trace in trace_prefix.parent.glob(trace_prefix.name + ".*"):
        paths += re.findall(r"calling init: (\S+)", trace.read_text())
        trace.unlink()
    return [Path(path) for path in paths]


def check_loaded(name, modules, root, trace_prefix):
    """The run loaded each of its modules' libraries, every Mivra library it loaded from ROOT."""
    libdir = libdir_in(root).resolve()
    loaded = [path for path in loaded_libraries(trace_prefix) if path.name.startswith("libmivra-")]
    strays = [str(path) for path in loaded if path.resolve().parent != libdir]
    missing = [module for module in modules
               if not any(path.name.startswith(f"libmivra-{module}.so") for path in loaded)]
    if strays or missing:
        raise Failure(f"the {name} program did not load the package's own libraries from {libdir}: "
                      f"loaded {[str(path) for path in loaded]}")


def run_consumers(executables, root, work, extra_env):
    scratch = Path(tempfile.mkdtemp(dir=work))
    # The reference's first program loads its files from the directory it runs in.
    resources = root / env("MIVRA_RESOURCE_DIR").lstrip("/")
    for name, (modules, printed) in consumers(CONSUMER_DIR).items():
        trace = work / f"loader-{name}"
        result = subprocess.run([str(executables[name]), str(scratch)], capture_output=True, text=True,
                                cwd=resources, timeout=60,
                                env={**os.environ, "SDL_VIDEODRIVER": "offscreen", "SDL_AUDIODRIVER": "dummy",
                                     "LD_DEBUG": "libs", "LD_DEBUG_OUTPUT": str(trace), **extra_env})
        if result.returncode != 0 or result.stdout != printed or result.stderr:
            raise Failure(f"the {name} program built against the installed library exited with "
                          f"{result.returncode}, printing {result.stdout!r} and {result.stderr!r}, "
                          f"not {printed!r} and nothing")
        check_loaded(name, modules, root, trace)
        print(result.stdout, end="")
    print(f"{len(executables)} programs loaded the package's libraries from {libdir_in(root)}")


def configure_cmake(root, build):
    run(["cmake", "-S", str(CONSUMER_DIR), "-B", str(build), "-G", "Ninja",
         f"-DCMAKE_CXX_COMPILER={env('MIVRA_CXX')}", f"-DCMAKE_PREFIX_PATH={prefix_in(root)}"])
    found = re.search(r"^Mivra_DIR:PATH=(.*)$", (build / "CMakeCache.txt").read_text(), re.MULTILINE)
    if not found or not Path(found.group(1)).resolve().is_relative_to(root.resolve()):
        raise Failure(f"find_package(Mivra) found the package outside {root}: {found and found.group(1)}")


def route_cmake(root, work):
    build = fresh(work / "cmake")
    configure_cmake(root, build)
    run(["cmake", "--build", str(build)])
    # CMake records the libraries' directory in the programs' run path: no environment needed.
    run_consumers({name: build / name for name in consumers(CONSUMER_DIR)}, root, work, {})


def pkgconfig_flags(root, modules):
    prefix = prefix_in(root)
    pkgconfig = ["pkg-config", f"--define-variable=prefix={prefix}"]
    search = {**os.environ, "PKG_CONFIG_PATH": str(libdir_in(root) / "pkgconfig")}
    names = [f"mivra-{module}" for module in modules]
    flags = run(pkgconfig + ["--cflags", "--libs"] + names, env=search).stdout.split()
    if not any(flag == f"-I{prefix}/{env('MIVRA_INCLUDEDIR')}" for flag in flags):
        raise Failure(f"pkg-config gave {' '.join(names)} no include directory inside {prefix}: {flags}")
    return flags


def route_pkgconfig(root, work):
    build = fresh(work / "pkgconfig")
    executables = {}
    for name, (modules, _) in consumers(CONSUMER_DIR).items():
        executables[name] = build / name
        run([env("MIVRA_CXX"), str(CONSUMER_DIR / f"{name}.cpp"), "-o", str(executables[name])]
            + pkgconfig_flags(root, modules))
    # As after `ldconfig` on a real install: the loader finds the libraries in their directory.
    run_consumers(executables, root, work, {"LD_LIBRARY_PATH": str(libdir_in(root))})


def route_incomplete(root, work):
    """A package missing its CMake package file, or a module's .pc file, is not found by that route:
    neither route can fall back on another copy of Mivra."""
    broken = work / "root"
    shutil.rmtree(broken, ignore_errors=True)
    for part in (env("MIVRA_INCLUDEDIR"), env("MIVRA_LIBDIR")):
        shutil.copytree(prefix_in(root) / part, prefix_in(broken) / part, symlinks=True)
    (libdir_in(broken) / "cmake" / "Mivra" / "MivraConfig.cmake").unlink()
    (libdir_in(broken) / "pkgconfig" / "mivra-window.pc").unlink()
    try:
        configure_cmake(broken, fresh(work / "cmake"))
    except Failure as failure:
        if "Could not find a package configuration file provided by \"Mivra\"" not in str(failure):
            raise Failure(f"the CMake route failed otherwise than by not finding the package: {failure}")
    else:
        raise Failure("find_package(Mivra) succeeded without the package's MivraConfig.cmake")
    try:
        pkgconfig_flags(broken, ["window"])
    except Failure as failure:
        if "Package mivra-window was not found" not in str(failure):
            raise Failure(f"pkg-config failed otherwise than by not finding mivra-window: {failure}")
    else:
        raise Failure("pkg-config found mivra-window without the package's mivra-window.pc")
    print("without MivraConfig.cmake and mivra-window.pc, neither route found the package")


ROUTES = {"cmake": route_cmake, "pkgconfig": route_pkgconfig, "incomplete": route_incomplete}


def in_clean_root(route, root, work):
    """Runs the route in a private mount namespace where only ROOT, WORK and the consumers'
    sources are seen, below a fresh directory; /usr/local and the build and source trees are empty.
    Returns the exit status of the run there, which printed its own lines."""
    view = Path(tempfile.mkdtemp(prefix="mivra-package-"))
    try:
        return subprocess.run(["unshare", "-m", "--propagation", "private", sys.executable, __file__, "inside",
                               route, str(root), str(work), str(view)]).returncode
    finally:
        view.rmdir()


def inside(route, root, work, view):
    run(["mount", "-t", "tmpfs", "-o", "mode=755", "mivra-package", str(view)])
    seen = {"root": root, "work": work}
    for name, directory in seen.items():
        (view / name).mkdir()
        run(["mount", "--bind", str(directory), str(view / name)])
    consumer = view / "consumer"
    shutil.copytree(CONSUMER_DIR, consumer)
    hidden = ["/usr/local", env("MIVRA_BUILD_DIR"), env("MIVRA_SOURCE_DIR")]
    for directory in hidden:
        run(["mount", "-t", "tmpfs", "-o", "mode=755,size=1m", "hidden", directory])
        if any(Path(directory).iterdir()):
            raise Failure(f"{directory} is still seen in the clean root")
    globals()["CONSUMER_DIR"] = consumer
    ROUTES[route](view / "root", view / "work")


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


def readme_snippet(marker):
    """The one ```cmake block of README.md that holds MARKER."""
    readme = Path(env("MIVRA_SOURCE_DIR")) / "README.md"
    blocks = [block for block in re.findall(r"^```cmake\n(.*?)^```", readme.read_text(), re.MULTILINE | re.DOTALL)
              if marker in block]
    if len(blocks) != 1:
        raise Failure(f"{readme} has {len(blocks)} cmake blocks with {marker}, not one")
    return blocks[0]


def route_subproject(work):
    """The library built inside another project, which sets no C++ standard, from the snippet the
    README gives: the program runs, and neither the library's tests, programs, reference nor
    package settings came with it, nor a module the program does not link."""
    snippet = readme_snippet("FetchContent_Declare")
    if "/path/to/mivra" not in snippet:
        raise Failure(f"the README's FetchContent snippet names no /path/to/mivra to fill in:\n{snippet}")
    source = fresh(work / "source")
    (source / "CMakeLists.txt").write_text(snippet.replace("/path/to/mivra", env("MIVRA_SOURCE_DIR")))
    shutil.copy(CONSUMER_DIR / "system.cpp", source / "main.cpp")
    build = fresh(work / "build")
    launcher = os.environ.get("MIVRA_CXX_LAUNCHER")
    run(["cmake", "-S", str(source), "-B", str(build), "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Release",
         f"-DCMAKE_CXX_COMPILER={env('MIVRA_CXX')}"]
        + ([f"-DCMAKE_CXX_COMPILER_LAUNCHER={launcher}", f"-DCMAKE_C_COMPILER_LAUNCHER={launcher}"] if launcher else []))
    run(["cmake", "--build", str(build), "--target", "app"])
    targets = {line.split(":")[0] for line in run(["ninja", "-C", str(build), "-t", "targets", "all"]).stdout.splitlines()}
    unwanted = sorted(targets & ({"docs", "package", "mivra-system-tests"} | set(env("MIVRA_PROGRAM_LIST").split())))
    if unwanted or (build / "CPackConfig.cmake").exists():
        raise Failure(f"the library built inside another project brought targets of its own: {unwanted}, "
                      f"CPack settings: {(build / 'CPackConfig.cmake').exists()}")
    built = sorted(path.name for path in build.rglob("libmivra-*.so"))
    if built != ["libmivra-system.so"]:
        raise Failure(f"building the program built the libraries {built}, not libmivra-system.so alone")
    printed = consumers(CONSUMER_DIR)["system"][1]
    result = run([str(build / "app")], timeout=60)
    if result.stdout != printed or result.stderr:
        raise Failure(f"the program printed {result.stdout!r} and {result.stderr!r}, not {printed!r} and nothing")
    print(result.stdout, end="")
    print("README's FetchContent snippet built the system module alone inside another project")


def main(argv):
    try:
        if argv[1:2] == ["stage"] and len(argv) == 5 and argv[2] in ("install", "deb"):
            (stage_install if argv[2] == "install" else stage_deb)(Path(argv[3]), Path(argv[4]))
        elif argv[1] in ROUTES and len(argv) == 4:
            return in_clean_root(argv[1], Path(argv[2]).resolve(), fresh(Path(argv[3])).resolve())
        elif argv[1:2] == ["inside"] and len(argv) == 6 and argv[2] in ROUTES:
            inside(argv[2], *map(Path, argv[3:]))
        elif argv[1:2] == ["subproject"] and len(argv) == 3:
            route_subproject(Path(argv[2]).resolve())
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
