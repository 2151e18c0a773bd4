# mivra_add_module(<Name> DEPENDS <public targets> PRIVATE_DEPENDS <targets> SOURCES <files>)
# Defines mivra-<name> with the alias Mivra::<Name>, installed and exported.
function(mivra_add_module name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS;PRIVATE_DEPENDS" ${ARGN})
  string(TOLOWER ${name} lower)
  add_library(mivra-${lower} ${ARG_SOURCES})
  add_library(Mivra::${name} ALIAS mivra-${lower})
  target_include_directories(mivra-${lower} PUBLIC
      $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}/mivra/include>
      $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>
    PRIVATE ${PROJECT_SOURCE_DIR}/mivra/src)
  target_link_libraries(mivra-${lower} PUBLIC ${ARG_DEPENDS} PRIVATE ${ARG_PRIVATE_DEPENDS})
  target_compile_options(mivra-${lower} PRIVATE -Wall -Wextra -Wpedantic)
  set_target_properties(mivra-${lower} PROPERTIES EXPORT_NAME ${name} POSITION_INDEPENDENT_CODE ON)
  install(TARGETS mivra-${lower} EXPORT MivraTargets
          ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
          LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/mivra/include/mivra/${name}
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/mivra)
  set_property(GLOBAL APPEND PROPERTY MIVRA_MODULES ${name})
endfunction()

# mivra_add_program(<name> SOURCES <files> LIBRARIES <targets>)
# A demo program: binary in bin/, installed, with the resource directory compiled in.
function(mivra_add_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
  target_compile_options(${name} PRIVATE -Wall -Wextra)
  target_compile_definitions(${name} PRIVATE MIVRA_RESOURCE_DIR="${MIVRA_RESOURCE_DIR}")
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# mivra_add_gtest(<name> SOURCES <files> LIBRARIES <targets> [LABELS <labels>] [ENVIRONMENT <k=v>])
function(mivra_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
      MIVRA_RESOURCE_DIR="${MIVRA_RESOURCE_DIR}"
      MIVRA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      MIVRA_BINARY_DIR="${PROJECT_BINARY_DIR}")
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
