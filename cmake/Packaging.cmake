# Installation layout and the packages: the program and kestrum-post, their manual
# pages, the example files, the copyright and changelog in a Debian package or, for a
# Windows build, kestrum.exe and its files in a zip archive to unpack into a folder of
# the node. Included once from CMakeLists.txt.
if(WIN32)
  include(cmake/WindowsPackage.cmake)
  return()
endif()

include(GNUInstallDirs)

# The package's maintainer; a packager sets their own at configure time with
# -DKESTRUM_MAINTAINER="Name <address>".
set(KESTRUM_MAINTAINER "The Kestrum developers <kestrum@example.org>"
    CACHE STRING "Maintainer of the Debian package, as Name <address>")

install(TARGETS kestrum RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped installation (the package's) also drops the compiler's .comment section.
find_program(KESTRUM_OBJCOPY objcopy)
if(KESTRUM_OBJCOPY)
  install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND ${KESTRUM_OBJCOPY} --remove-section=.comment
                    \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kestrum\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")
endif()
install(PROGRAMS ${PROJECT_SOURCE_DIR}/post/kestrum-post DESTINATION ${CMAKE_INSTALL_BINDIR})

# Manual pages and the changelog go in compressed, as Debian wants them, when gzip is at
# hand; the build keeps the compressed copies up to date with the sources.
find_program(KESTRUM_GZIP gzip)
set(KESTRUM_MAN_PAGES ${PROJECT_SOURCE_DIR}/man/kestrum.1 ${PROJECT_SOURCE_DIR}/man/kestrum-post.1)
set(KESTRUM_CHANGELOG ${PROJECT_SOURCE_DIR}/packaging/changelog)
if(KESTRUM_GZIP)
  set(compressed_files)
  foreach(source IN LISTS KESTRUM_MAN_PAGES KESTRUM_CHANGELOG)
    get_filename_component(name ${source} NAME)
    set(target ${PROJECT_BINARY_DIR}/packaging/${name}.gz)
    add_custom_command(
      OUTPUT ${target}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
      COMMAND ${KESTRUM_GZIP} -9 -n -c ${source} > ${target}
      DEPENDS ${source}
      COMMENT "Compressing ${name}"
      VERBATIM)
    list(APPEND compressed_files ${target})
  endforeach()
  add_custom_target(kestrum_compressed_docs ALL DEPENDS ${compressed_files})
  install(FILES ${PROJECT_BINARY_DIR}/packaging/kestrum.1.gz ${PROJECT_BINARY_DIR}/packaging/kestrum-post.1.gz
          DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
else()
  install(FILES ${KESTRUM_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES ${KESTRUM_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# The newest changelog entry names the version being built.
file(STRINGS ${KESTRUM_CHANGELOG} changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^kestrum \\(${PROJECT_VERSION}\\) ")
  message(FATAL_ERROR "packaging/changelog must start with an entry for ${PROJECT_VERSION}: ${changelog_head}")
endif()

# The machine-readable copyright file, with the licence text of LICENSE in its
# indented form (an empty line becomes " .").
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license_text)
string(REGEX REPLACE "\n+$" "" license_text "${license_text}")
string(REPLACE "\n\n" "\n.\n" license_text "${license_text}")
string(REPLACE "\n" "\n " license_text "${license_text}")
set(KESTRUM_LICENSE_TEXT " ${license_text}")
configure_file(${PROJECT_SOURCE_DIR}/packaging/copyright.in ${PROJECT_BINARY_DIR}/packaging/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

install(FILES ${PROJECT_SOURCE_DIR}/examples/Kestrum.Cfg ${PROJECT_SOURCE_DIR}/examples/Squish.cfg
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${PROJECT_SOURCE_DIR}/examples/node/kestrum.service ${PROJECT_SOURCE_DIR}/examples/node/kestrum.timer
              ${PROJECT_SOURCE_DIR}/examples/node/kestrum.crontab ${PROJECT_SOURCE_DIR}/examples/node/kestrum-post.conf
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} OPTIONAL)

# The manual pages must format without a single warning from groff.
if(BUILD_TESTING)
  find_program(KESTRUM_GROFF groff)
  if(KESTRUM_GROFF)
    foreach(page IN LISTS KESTRUM_MAN_PAGES)
      get_filename_component(name ${page} NAME_WE)
      add_test(NAME man_page_${name}_formats_cleanly
               COMMAND ${KESTRUM_GROFF} -man -Tutf8 -ww -z ${page})
      # groff reports warnings on its error output and still exits with 0, so any
      # output at all fails the test.
      set_tests_properties(man_page_${name}_formats_cleanly PROPERTIES FAIL_REGULAR_EXPRESSION ".")
    endforeach()
  endif()
endif()

# The Debian package: cpack in the build folder.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestrum)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kestrum developers")
set(CPACK_PACKAGE_CONTACT "${KESTRUM_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "echomail traffic reports for FidoNet nodes")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Kestrum reads the log of a FidoNet node's echomail tosser, keeps the\n"
    "lines of a configured reporting period and counts, per echo area, the\n"
    "messages imported, exported and rejected as duplicates and, per link,\n"
    "the bytes received and sent and the AreaFix requests. It writes\n"
    "plain-text report files of CP866 box tables with bar graphs, sorted by\n"
    "name, address or traffic.\n"
    "\n"
    "kestrum-post runs it and posts the reports into an echo area with the\n"
    "node's own tools, crashwrite from crashmail by default.")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_PACKAGE_NAME kestrum)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KESTRUM_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS crashmail)
# The program needs the C and C++ runtime only (kestrum-post's awk, iconv and find are
# on every Debian system). dpkg-shlibdeps works the library dependencies out from the
# binary and adds them; without it the package names the runtime libraries itself.
find_program(KESTRUM_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(KESTRUM_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
endif()
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/build/")
include(CPack)
