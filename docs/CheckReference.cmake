# Builds the API reference and fails on any warning or error doxygen prints.
# cmake -DDOXYGEN=<doxygen> -DDOXYFILE=<Doxyfile> -P CheckReference.cmake
execute_process(COMMAND ${DOXYGEN} ${DOXYFILE}
                RESULT_VARIABLE status
                OUTPUT_VARIABLE output
                ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
  message(FATAL_ERROR "doxygen exited with ${status}:\n${errors}")
endif()
