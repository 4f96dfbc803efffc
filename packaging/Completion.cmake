# Makes the bash completion of tessaform-render from its --help, so that the
# options and the field names of --set never drift from the program.
#   cmake -DPROGRAM=... -DTEMPLATE=... -DOUTPUT=... -P Completion.cmake
execute_process(COMMAND ${PROGRAM} --help OUTPUT_VARIABLE help RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${PROGRAM} --help failed")
endif()

string(REGEX MATCHALL "(^|[ ,\n])(-[a-zA-Z]|--[a-z][a-z-]+)" found "${help}")
set(options "")
foreach(option IN LISTS found)
  string(REGEX REPLACE "^[ ,\n]" "" option "${option}")
  list(APPEND options ${option})
endforeach()
list(REMOVE_DUPLICATES options)
list(JOIN options " " TESSAFORM_OPTIONS)

if(NOT help MATCHES "NAME is one of: ([a-zA-Z0-9., ]+)")
  message(FATAL_ERROR "${PROGRAM} --help lists no field names for --set")
endif()
string(REPLACE ", " " " TESSAFORM_FIELDS "${CMAKE_MATCH_1}")
string(STRIP "${TESSAFORM_FIELDS}" TESSAFORM_FIELDS)

configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
