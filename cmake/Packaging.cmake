# Installation layout and the packages: the program, its manual page, the example
# configuration files and the README, in a Debian package or, for a Windows build, in a
# zip archive to unpack into a folder of the node. Included once from the top
# CMakeLists.txt.
if(WIN32)
  include(cmake/WindowsPackage.cmake)
  return()
endif()

include(GNUInstallDirs)

install(TARGETS kestrum RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# The manual page goes in compressed, as Debian wants it, when gzip is at hand; the
# build keeps the compressed copy up to date with the source.
set(KESTRUM_MAN_PAGE ${PROJECT_SOURCE_DIR}/man/kestrum.1)
find_program(KESTRUM_GZIP gzip)
if(KESTRUM_GZIP)
  set(KESTRUM_MAN_PAGE_GZ ${PROJECT_BINARY_DIR}/man/kestrum.1.gz)
  add_custom_command(
    OUTPUT ${KESTRUM_MAN_PAGE_GZ}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${KESTRUM_GZIP} -9 -n -c ${KESTRUM_MAN_PAGE} > ${KESTRUM_MAN_PAGE_GZ}
    DEPENDS ${KESTRUM_MAN_PAGE}
    COMMENT "Compressing the manual page"
    VERBATIM)
  add_custom_target(kestrum_man_page ALL DEPENDS ${KESTRUM_MAN_PAGE_GZ})
  install(FILES ${KESTRUM_MAN_PAGE_GZ} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  install(FILES ${KESTRUM_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/examples/Kestrum.Cfg ${PROJECT_SOURCE_DIR}/examples/Squish.cfg
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} OPTIONAL)

# The manual page must format without a single warning from groff.
if(BUILD_TESTING)
  find_program(KESTRUM_GROFF groff)
  if(KESTRUM_GROFF)
    add_test(NAME man_page_formats_cleanly
             COMMAND ${KESTRUM_GROFF} -man -Tutf8 -ww -z ${KESTRUM_MAN_PAGE})
    # groff reports warnings on its error output and still exits with 0, so any output
    # at all fails the test.
    set_tests_properties(man_page_formats_cleanly PROPERTIES FAIL_REGULAR_EXPRESSION ".")
  endif()
endif()

# The Debian package: cpack in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrum)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kestrum developers")
set(CPACK_PACKAGE_CONTACT "The Kestrum developers <kestrum@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "echomail traffic reports for FidoNet nodes")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Kestrum reads the log of a FidoNet node's echomail tosser, keeps the\n"
    "lines of a configured reporting period and counts, per echo area, the\n"
    "messages imported, exported and rejected as duplicates and, per link,\n"
    "the bytes received and sent and the AreaFix requests. It writes\n"
    "plain-text report files of CP866 box tables with bar graphs, sorted by\n"
    "name, address or traffic.")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_NAME kestrum)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Kestrum developers <kestrum@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps works the library dependencies out from the binary; without it the
# package names the C and C++ runtime libraries itself.
find_program(KESTRUM_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(KESTRUM_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build/")
include(CPack)
