# The manual pages are made by help2man from each program's --help and
# --version, so a page says what the program it was built with says.
find_program(HELP2MAN help2man)
if(NOT HELP2MAN)
  message(STATUS "help2man not found: no manual pages (scripts/install-deps.sh installs it)")
  return()
endif()

set(TESSAFORM_MAN_PAGES "")
foreach(program_and_name "tessaform|explore quaternion Julia sets in a window"
                         "tessaform-render|render quaternion Julia sets to images and films")
  string(REPLACE "|" ";" program_and_name "${program_and_name}")
  list(GET program_and_name 0 program)
  list(GET program_and_name 1 name)
  set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env ${TESSAFORM_DOC_RUN_ENV} ${HELP2MAN} --no-info --section=1 --name=${name} --output=${page} $<TARGET_FILE:${program}>
    COMMAND gzip -9nf ${page}
    DEPENDS ${program}
    COMMENT "Making the manual page ${program}(1) from its --help"
    VERBATIM)
  list(APPEND TESSAFORM_MAN_PAGES ${page}.gz)
endforeach()
add_custom_target(tessaform_man_pages ALL DEPENDS ${TESSAFORM_MAN_PAGES})
install(FILES ${TESSAFORM_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
