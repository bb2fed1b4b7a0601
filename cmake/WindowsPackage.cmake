# The Windows package: kestrum-VERSION-win64.zip, one folder holding kestrum.exe, the
# example configuration files, the README, the licence and the manual as plain text.
# Included from Packaging.cmake for a Windows build.
install(TARGETS kestrum RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/examples/Kestrum.Cfg ${PROJECT_SOURCE_DIR}/examples/Squish.cfg
              ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION . OPTIONAL)

# The manual page formatted as plain UTF-8 text by groff, without the overstriking that
# a terminal would show as bold and underlined.
find_program(KESTRUM_GROFF groff REQUIRED)
set(KESTRUM_MAN_PAGE ${PROJECT_SOURCE_DIR}/man/kestrum.1)
set(KESTRUM_MANUAL_TEXT ${PROJECT_BINARY_DIR}/kestrum.txt)
add_custom_command(
  OUTPUT ${KESTRUM_MANUAL_TEXT}
  COMMAND ${KESTRUM_GROFF} -man -Tutf8 -P-cbou ${KESTRUM_MAN_PAGE} > ${KESTRUM_MANUAL_TEXT}
  DEPENDS ${KESTRUM_MAN_PAGE}
  COMMENT "Formatting the manual as plain text"
  VERBATIM)
add_custom_target(kestrum_manual_text ALL DEPENDS ${KESTRUM_MANUAL_TEXT})
install(FILES ${KESTRUM_MANUAL_TEXT} DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME kestrum)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kestrum developers")
set(CPACK_PACKAGE_FILE_NAME kestrum-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build/")
include(CPack)
