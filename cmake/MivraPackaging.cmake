include(CMakePackageConfigHelpers)

install(EXPORT MivraTargets NAMESPACE Mivra:: DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Mivra)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/MivraConfig.cmake.in
    ${PROJECT_BINARY_DIR}/MivraConfig.cmake
    INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Mivra)
write_basic_package_version_file(${PROJECT_BINARY_DIR}/MivraConfigVersion.cmake
    COMPATIBILITY SameMinorVersion)
install(FILES ${PROJECT_BINARY_DIR}/MivraConfig.cmake ${PROJECT_BINARY_DIR}/MivraConfigVersion.cmake
        DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/Mivra)

# One pkg-config file per module. The libraries are static, so each file names the system
# packages its module links privately.
set(MIVRA_PC_Window_REQUIRES "mivra-system")
set(MIVRA_PC_Window_PRIVATE "sdl2 x11 xi wayland-client")
set(MIVRA_PC_Graphics_REQUIRES "mivra-window")
set(MIVRA_PC_Graphics_PRIVATE "epoxy freetype2 sdl2 libpng libjpeg")
set(MIVRA_PC_Graphics_LIBS_PRIVATE "-lstb") # image writing; stb ships no pkg-config file
set(MIVRA_PC_Audio_REQUIRES "mivra-system")
set(MIVRA_PC_Audio_PRIVATE "sdl2 sndfile")
set(MIVRA_PC_Network_REQUIRES "mivra-system")
get_property(modules GLOBAL PROPERTY MIVRA_MODULES)
foreach(module IN LISTS modules)
  string(TOLOWER ${module} lower)
  set(MIVRA_PC_NAME ${lower})
  set(MIVRA_PC_REQUIRES "${MIVRA_PC_${module}_REQUIRES}")
  set(MIVRA_PC_PRIVATE "${MIVRA_PC_${module}_PRIVATE}")
  set(MIVRA_PC_LIBS_PRIVATE "${MIVRA_PC_${module}_LIBS_PRIVATE}")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/mivra.pc.in ${PROJECT_BINARY_DIR}/pkgconfig/mivra-${lower}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/pkgconfig/mivra-${lower}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
