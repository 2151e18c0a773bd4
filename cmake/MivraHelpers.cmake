# mivra_unity_build(<target>): with MIVRA_UNITY_BUILD, a module's sources are compiled in batches of
# up to eight, one translation unit each, so that the headers they share (SDL's, the standard
# library's) are parsed once per batch instead of once per source. (Unit tests gain nothing from
# it: their cost is GoogleTest's code, generated per test, not headers.) A source's anonymous
# namespace is then shared with its neighbours in the batch: two sources of one module must not
# define the same name there. A source that includes X11's headers, whose macros (None, Status,
# Bool...) would break the sources after it, opts out with SKIP_UNITY_BUILD_INCLUSION.
function(mivra_unity_build target)
  if(MIVRA_UNITY_BUILD)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON)
    # GCC takes a batched source for a header, and warns of a class using a type from the
    # source's anonymous namespace; within one translation unit that is harmless.
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANG_AND_ID:CXX,GNU>:-Wno-subobject-linkage>)
  endif()
endfunction()

# mivra_add_module(<Name> DEPENDS <public targets> PRIVATE_DEPENDS <targets> SOURCES <files>)
# Defines mivra-<name>, a shared library with the alias Mivra::<Name>, installed and exported. Its
# objects, compiled once, also make mivra-<name>-internal: a static library, not installed, for the
# tests that reach the module's detail:: code, which the shared library does not export. An
# executable links one kind or the other, never both: each would hold its own copy of the
# library's state (the diagnostics sink, the audio device).
function(mivra_add_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  string(TOLOWER ${name} lower)
  add_library(mivra-${lower} SHARED ${ARG_SOURCES})
  add_library(Mivra::${name} ALIAS mivra-${lower})
  mivra_unity_build(mivra-${lower})
  target_include_directories(mivra-${lower} PUBLIC
      $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/mivra/include>
      $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
    PRIVATE ${PROJECT_SOURCE_DIR}/mivra/src)
  target_link_libraries(mivra-${lower} PUBLIC ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
  # The headers need C++20 (defaulted comparisons and more): a program that sets no standard, or an
  # older one, gets it from the target it links, installed or built alongside.
  target_compile_features(mivra-${lower} PUBLIC cxx_std_20)
  target_compile_options(mivra-${lower} PRIVATE -Wall -Wextra -Wpedantic)
  # The ABI may change with every minor version while the major one is 0, as the CMake package's
  # version check (SameMinorVersion) says too. $ORIGIN lets a module find the modules it needs
  # beside itself wherever the tree was installed or unpacked.
  set_target_properties(mivra-${lower} PROPERTIES
      EXPORT_NAME ${name}
      VERSION ${PROJECT_VERSION}
      SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
      DEFINE_SYMBOL ""
      INSTALL_RPATH "$ORIGIN")
  set(exports ${PROJECT_SOURCE_DIR}/cmake/mivra-exports.map)
  target_link_options(mivra-${lower} PRIVATE "LINKER:--version-script=${exports}")
  set_property(TARGET mivra-${lower} APPEND PROPERTY LINK_DEPENDS ${exports})
  install(TARGETS mivra-${lower} EXPORT MivraTargets
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/mivra/include/mivra/${name}
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mivra)
  set_property(GLOBAL APPEND PROPERTY MIVRA_MODULES ${name})

  set(internal_depends)
  foreach(dependency IN LISTS ARG_DEPENDS)
    if(dependency MATCHES "^Mivra::(.+)$")
      string(TOLOWER ${CMAKE_MATCH_1} dependency_lower)
      list(APPEND internal_depends mivra-${dependency_lower}-internal)
    else()
      list(APPEND internal_depends ${dependency})
    endif()
  endforeach()
  add_library(mivra-${lower}-internal STATIC EXCLUDE_FROM_ALL $<TARGET_OBJECTS:mivra-${lower}>)
  target_include_directories(mivra-${lower}-internal PUBLIC
      ${PROJECT_SOURCE_DIR}/mivra/include ${PROJECT_SOURCE_DIR}/mivra/src)
  target_link_libraries(mivra-${lower}-internal PUBLIC ${internal_depends} PRIVATE ${ARG_PRIVATE_DEPENDS})
endfunction()

# mivra_add_program(<name> SOURCES <files> [LOGIC <files>] LIBRARIES <targets>)
# A demo program: binary in bin/, installed, with the resource directory compiled in. LOGIC files
# are the program's testable code, compiled once into <name>-logic (linking LIBRARIES, headers
# found from the program's directory), which the program, its tests and its benchmarks link.
function(mivra_add_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LOGIC;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  set(libraries ${ARG_LIBRARIES})
  if(ARG_LOGIC)
    add_library(${name}-logic STATIC ${ARG_LOGIC})
    target_include_directories(${name}-logic PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name}-logic PUBLIC ${ARG_LIBRARIES})
    target_compile_options(${name}-logic PRIVATE -Wall -Wextra)
    target_compile_definitions(${name}-logic PRIVATE MIVRA_RESOURCE_DIR="${MIVRA_RESOURCE_DIR}")
    set(libraries ${name}-logic)
  endif()
  target_link_libraries(${name} PRIVATE ${libraries})
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  target_compile_definitions(${name} PRIVATE MIVRA_RESOURCE_DIR="${MIVRA_RESOURCE_DIR}")
  # The modules' shared libraries, found from the program's own place once installed or unpacked.
  file(RELATIVE_PATH bin_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(${name} PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# mivra_test_code(<target>): the settings of a unit test's own code, shared with mivra-test-pch so
# that its precompiled headers fit every test. Test code is built for build speed (the library
# under test keeps the build type's optimisation): GCC's -Og costs no more than -O0, while clang's
# -Og is its -O1, which costs a sanitized test source about 40 % more than -O0. GoogleTest's and
# the standard library's headers, which cost a test source more than its own code, are parsed once
# per build.
function(mivra_test_code target)
  target_link_libraries(${target} PRIVATE GTest::gtest GTest::gmock)
  target_compile_options(${target} PRIVATE $<IF:$<CXX_COMPILER_ID:Clang>,-O0,-Og>)
  # _REENTRANT: SDL's pkg-config flags define it, and a precompiled header is only used where the
  # macros it was built with are the same; glibc gives it no meaning beside _GNU_SOURCE.
  target_compile_definitions(${target} PRIVATE
      MIVRA_RESOURCE_DIR="${MIVRA_RESOURCE_DIR}"
      MIVRA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      MIVRA_BINARY_DIR="${PROJECT_BINARY_DIR}"
      _REENTRANT)
  if(NOT target STREQUAL "mivra-test-pch")
    target_precompile_headers(${target} REUSE_FROM mivra-test-pch)
  endif()
endfunction()

# mivra_add_gtest(<name> SOURCES <files> LIBRARIES <targets> [LABELS <labels>] [ENVIRONMENT <k=v>])
function(mivra_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest_main)
  mivra_test_code(${name})
  if(MIVRA_SANITIZE MATCHES "address")
    # Leak checks need the GL driver resident until exit (see the file's comment).
    target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/mivra/tests/Support/KeepGlDriverLoaded.cpp)
    target_link_libraries(${name} PRIVATE ${CMAKE_DL_LIBS})
  endif()
  # Test discovery splits list-valued properties into separate words, which then pair up
  # wrongly (a second label would swallow ENVIRONMENT). So each property gets one value here:
  # further labels come from the directory, and ENVIRONMENT takes one variable per call.
  list(LENGTH ARG_ENVIRONMENT environment_count)
  if(environment_count GREATER 1)
    message(FATAL_ERROR "mivra_add_gtest(${name}): give ENVIRONMENT one variable")
  endif()
  if(ARG_LABELS)
    set_property(DIRECTORY APPEND PROPERTY LABELS ${ARG_LABELS})
  endif()
  if(ARG_ENVIRONMENT)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit ENVIRONMENT "${ARG_ENVIRONMENT}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)
  endif()
endfunction()

# mivra_add_e2e_test(<name> SCRIPT <python file> [ARGS <args...>] [LABELS <labels>] [TIMEOUT <s>] [NETNS]
#                    [DISPLAYS <x11|wayland|hidpi>...] [RESOURCE_LOCK <name>])
# An end-to-end test: a Python script (Debian's /usr/bin/python3) using tests/e2e/mivra_e2e.py or
# tests/e2e/mivra_console.py. ARGS may hold generator expressions ($<TARGET_FILE:...>).
# NETNS runs it in a private network namespace with only loopback up (needs root, as the test
# suite runs), for programs whose ports are fixed and may be taken on a shared machine.
# DISPLAYS, for a window program, runs the same script once per display server: <name> on a
# private Xvfb (label x11) and <name>.wayland on a private headless Wayland compositor (label
# wayland, so that `ctest -L wayland` runs that set), and <name>.hidpi on the same compositor with
# its output at scale 2 and an Xvfb beside it (labels wayland and hidpi). RESOURCE_LOCK keeps tests that share a
# scratch directory (compiled into a program, the same for both display servers) from running
# side by side.
function(mivra_add_e2e_test name)
  cmake_parse_arguments(ARG "NETNS" "SCRIPT;TIMEOUT;RESOURCE_LOCK" "ARGS;LABELS;DISPLAYS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 120)
  endif()
  set(command /usr/bin/python3 ${ARG_SCRIPT} ${ARG_ARGS})
  if(ARG_NETNS)
    set(command unshare -n sh -c "ip link set lo up && exec \"$@\"" sh ${command})
  endif()
  set(environment
      "PYTHONPATH=${PROJECT_SOURCE_DIR}/tests/e2e"
      "MIVRA_TOOLS=${PROJECT_BINARY_DIR}/tools"
      "MIVRA_RESOURCE_DIR=${MIVRA_RESOURCE_DIR}"
      "MIVRA_BIN=${PROJECT_BINARY_DIR}/bin"
      "MIVRA_SHOTS=${PROJECT_BINARY_DIR}/screenshots")
  set(test_names)
  if(NOT ARG_DISPLAYS)
    add_test(NAME ${name} COMMAND ${command})
    set_tests_properties(${name} PROPERTIES LABELS "e2e;${ARG_LABELS}" TIMEOUT ${ARG_TIMEOUT}
                                            ENVIRONMENT "${environment}")
    set(test_names ${name})
  endif()
  foreach(display IN LISTS ARG_DISPLAYS)
    if(display STREQUAL "x11")
      set(test_name ${name})
    elseif(display STREQUAL "wayland")
      set(test_name ${name}.wayland)
    elseif(display STREQUAL "hidpi")
      set(test_name ${name}.hidpi)
    else()
      message(FATAL_ERROR "mivra_add_e2e_test(${name}): unknown display server ${display}")
    endif()
    set(display_labels ${display})
    if(display STREQUAL "hidpi")
      set(display_labels "wayland;hidpi")
    endif()
    add_test(NAME ${test_name} COMMAND ${command})
    set_tests_properties(${test_name} PROPERTIES LABELS "e2e;${display_labels};${ARG_LABELS}" TIMEOUT ${ARG_TIMEOUT}
                                                 ENVIRONMENT "${environment};MIVRA_E2E_DISPLAY=${display}")
    list(APPEND test_names ${test_name})
  endforeach()
  if(ARG_RESOURCE_LOCK)
    set_tests_properties(${test_names} PROPERTIES RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
  endif()
endfunction()

# mivra_add_benchmark(<target> TEST <test name> SOURCES <files> LIBRARIES <targets> [ARGS <args...>]
#                     [ENVIRONMENT <k=v>...] [TIMEOUT <s>] [TIMED_TOOL])
# A benchmark: built into tools/ and run by CTest under the label `benchmark` (besides the
# directory's labels), alone (RUN_SERIAL: no test or other benchmark shares the cores with it, even
# under ctest -j; ./test runs them in a stage of their own after the tests). It uses Google
# Benchmark unless TIMED_TOOL says it is a program of its own that times its work and prints the
# figures. LAUNCHER is a command the benchmark runs under (a private X server, for instance).
# Speed is never a pass/fail condition.
function(mivra_add_benchmark name)
  cmake_parse_arguments(ARG "TIMED_TOOL" "TEST;TIMEOUT" "SOURCES;LIBRARIES;ARGS;ENVIRONMENT;LAUNCHER" ${ARGN})
  if(NOT ARG_TEST)
    message(FATAL_ERROR "mivra_add_benchmark(${name}): give the TEST name")
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
  if(NOT ARG_TIMED_TOOL)
    target_link_libraries(${name} PRIVATE benchmark::benchmark)
  endif()
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  target_compile_definitions(${name} PRIVATE MIVRA_RESOURCE_DIR="${MIVRA_RESOURCE_DIR}")
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tools)
  if(MIVRA_BUILD_TESTS)
    add_test(NAME ${ARG_TEST} COMMAND ${ARG_LAUNCHER} $<TARGET_FILE:${name}> ${ARG_ARGS})
    set_tests_properties(${ARG_TEST} PROPERTIES LABELS benchmark RUN_SERIAL TRUE)
    if(ARG_TIMEOUT)
      set_tests_properties(${ARG_TEST} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
    endif()
    if(ARG_ENVIRONMENT)
      set_tests_properties(${ARG_TEST} PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
    endif()
  endif()
endfunction()
