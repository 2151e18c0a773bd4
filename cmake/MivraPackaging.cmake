include(CMakePackageConfigHelpers)

install(EXPORT MivraTargets NAMESPACE Mivra:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Mivra)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/MivraConfig.cmake.in
    ${PROJECT_BINARY_DIR}/MivraConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Mivra)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/MivraConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/MivraConfig.cmake ${PROJECT_BINARY_DIR}/MivraConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Mivra)

# One pkg-config file per module. The libraries are shared and their headers include nothing but
# the standard library's, so a module requires only the modules it builds on, and a static link
# line (--static) names nothing more.
set(MIVRA_PC_Window_REQUIRES "mivra-system")
set(MIVRA_PC_Graphics_REQUIRES "mivra-window")
set(MIVRA_PC_Audio_REQUIRES "mivra-system")
set(MIVRA_PC_Network_REQUIRES "mivra-system")
get_property(modules GLOBAL PROPERTY MIVRA_MODULES)
foreach(module IN LISTS modules)
  string(TOLOWER ${module} lower)
  set(MIVRA_PC_NAME ${lower})
  set(MIVRA_PC_REQUIRES "${MIVRA_PC_${module}_REQUIRES}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/mivra.pc.in ${PROJECT_BINARY_DIR}/pkgconfig/mivra-${lower}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/mivra-${lower}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()

# Inside another project, CPack's settings are that project's to make.
if(NOT PROJECT_IS_TOP_LEVEL)
  return()
endif()

# The Debian package (cpack -G DEB in the build directory): everything `cmake --install` installs,
# at the same prefix, since the programs look for their resources at the path compiled into them.
# Configure with -DCMAKE_INSTALL_PREFIX=/usr for a package that keeps to Debian's directories.
set(CPACK_PACKAGE_NAME mivra)
set(CPACK_PACKAGE_VENDOR "Mivra")
set(CPACK_PACKAGE_CONTACT "Mivra developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Multimedia library: system, window, graphics, audio and network modules, and demo programs")
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
# The run-time packages the libraries and programs load (tests/package checks the list against
# what they load). The headers include only the standard library's, and the CMake and pkg-config
# files name no other package, so no -dev package is needed to build against this one. SDL and
# libepoxy open the GL library at run time: libgl1, with Mesa's drivers recommended.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libgcc-s1, libsdl2-2.0-0, libx11-6, libxi6, libwayland-client0, libepoxy0, libgl1, libfreetype6, libpng16-16, libjpeg62-turbo, libstb0, libsndfile1, libsamplerate0")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "g++, cmake, pkg-config")
# The shlibs file, and the ldconfig trigger so that the loader finds the libraries once installed.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
