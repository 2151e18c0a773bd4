# Fails, naming the file and line, where an installed header carries a word of SDL: what the
# library runs on stays out of what programs compile against, so it can change under them.
# usage: cmake -DINCLUDE_DIR=<mivra/include> -P installed_headers.cmake
file(GLOB_RECURSE headers "${INCLUDE_DIR}/*.hpp" "${INCLUDE_DIR}/*.h" "${INCLUDE_DIR}/*.inl")
if(NOT headers)
  message(FATAL_ERROR "no headers under ${INCLUDE_DIR}")
endif()
set(found "")
foreach(header IN LISTS headers)
  file(STRINGS "${header}" lines REGEX "SDL|sdl[A-Z_]")
  foreach(line IN LISTS lines)
    string(APPEND found "\n  ${header}: ${line}")
  endforeach()
endforeach()
if(found)
  message(FATAL_ERROR "SDL named in installed headers:${found}")
endif()
list(LENGTH headers count)
message(STATUS "${count} installed headers, none names SDL")
