# The Debian package: cpack -G DEB in a build folder, or scripts/package.sh,
# which also inspects it. Its dependencies are worked out from the programs'
# libraries by dpkg-shlibdeps.
set(TESSAFORM_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/tessaform)
install(FILES copyright DESTINATION ${TESSAFORM_DOC_DIR})

# A native package keeps its history as a gzipped Debian changelog; gzip -n
# keeps it the same from build to build.
execute_process(COMMAND date -R -u -d ${TESSAFORM_RELEASE_DATE} OUTPUT_VARIABLE TESSAFORM_RELEASE_DAY
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(changelog.in ${CMAKE_CURRENT_BINARY_DIR}/changelog @ONLY)
set(TESSAFORM_CHANGELOG ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(
  OUTPUT ${TESSAFORM_CHANGELOG}
  COMMAND gzip -9nc ${CMAKE_CURRENT_BINARY_DIR}/changelog > ${TESSAFORM_CHANGELOG}
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/changelog
  VERBATIM)
add_custom_target(tessaform_changelog ALL DEPENDS ${TESSAFORM_CHANGELOG})
install(FILES ${TESSAFORM_CHANGELOG} DESTINATION ${TESSAFORM_DOC_DIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessaform)
set(CPACK_PACKAGE_VENDOR "Tessaform")
set(CPACK_PACKAGE_CONTACT "Tessaform maintainers <maintainers@tessaform.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "ray-tracer for slices of four-dimensional Julia sets")
set(CPACK_PACKAGE_DESCRIPTION
    "Tessaform ray-traces three-dimensional slices of four-dimensional quaternion
Julia sets, z <- z^n + c for the powers 2 to 5, optionally with a rotation
folded into every step, lit by a point light and coloured from a gradient.
.
The tessaform program is a settings window with a live preview; the
tessaform-render command renders stills, tiles and keyframe animations
(numbered images or films) without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
