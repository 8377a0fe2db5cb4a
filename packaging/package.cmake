# What `cmake --install` puts in place besides the two programs, and the
# Debian package `make package` builds from it with CPack.
#
# Installed (prefix /usr in the package):
#   bin/vellumark, bin/vellumark-cli
#   share/vellumark/readme, share/vellumark/skin.bmp   found by the editor from its
#                                                      own folder (../share/vellumark)
#   share/applications/<id>.desktop, share/metainfo/<id>.metainfo.xml,
#   share/icons/hicolor/scalable/apps/<id>.svg, share/mime/packages/vellumark.xml
#   share/man/man1/vellumark.1.gz, vellumark-cli.1.gz  (help2man, from --help)
#   share/bash-completion/completions/vellumark-cli
#   share/doc/vellumark/  copyright, changelog.gz, README.md, manual.txt, json-format.md

set(VELLUMARK_APP_ID io.github.vellumark.Vellumark)
set(VELLUMARK_MAINTAINER "The Vellumark developers <vellumark@users.noreply.github.com>")
set(VELLUMARK_PACKAGE_DIR ${CMAKE_CURRENT_SOURCE_DIR}/packaging)

# The release notes of the desktop metadata and the package's changelog name
# this version: a new version in project() needs both.
file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/assets/${VELLUMARK_APP_ID}.metainfo.xml release_line
     REGEX "<release version=\"${PROJECT_VERSION}\"")
file(STRINGS ${VELLUMARK_PACKAGE_DIR}/changelog changelog_line REGEX "^vellumark \\(${PROJECT_VERSION}\\) ")
if(NOT release_line OR NOT changelog_line)
  message(FATAL_ERROR "assets/${VELLUMARK_APP_ID}.metainfo.xml and packaging/changelog must both "
                      "describe version ${PROJECT_VERSION}")
endif()

# ---- manual pages, from the programs' own --help and --version -------------------
find_program(HELP2MAN_EXECUTABLE help2man)
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(man_pages)
if(HELP2MAN_EXECUTABLE)
  set(man_programs)
  if(TARGET vellumark-cli)
    list(APPEND man_programs vellumark-cli)
  endif()
  if(TARGET vellumark)
    list(APPEND man_programs vellumark)
  endif()
  foreach(program ${man_programs})
    set(include_file ${CMAKE_CURRENT_SOURCE_DIR}/docs/${program}.h2m)
    set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1)
    # The editor answers --help and --version before it needs a display.
    add_custom_command(OUTPUT ${page}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
      COMMAND ${HELP2MAN_EXECUTABLE} --no-info --section=1 --include=${include_file}
              --output=${page} $<TARGET_FILE:${program}>
      COMMAND ${GZIP_EXECUTABLE} -9nf ${page}
      DEPENDS ${program} ${include_file}
      COMMENT "Writing the manual page of ${program}"
      VERBATIM)
    list(APPEND man_pages ${page}.gz)
  endforeach()
  add_custom_target(man_pages ALL DEPENDS ${man_pages})
  install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: no manual pages (make deps installs it)")
endif()

# ---- documentation ------------------------------------------------------------------
set(changelog_gz ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${changelog_gz}
  COMMAND ${GZIP_EXECUTABLE} -9n -c ${VELLUMARK_PACKAGE_DIR}/changelog > ${changelog_gz}
  DEPENDS ${VELLUMARK_PACKAGE_DIR}/changelog)
add_custom_target(changelog ALL DEPENDS ${changelog_gz})
install(FILES ${VELLUMARK_PACKAGE_DIR}/copyright ${changelog_gz} README.md assets/manual.txt docs/json-format.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

install(FILES ${VELLUMARK_PACKAGE_DIR}/vellumark-cli.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME vellumark-cli)

# ---- the editor's data and desktop integration ---------------------------------
if(TARGET vellumark)
  install(FILES readme assets/skin.bmp DESTINATION ${CMAKE_INSTALL_DATADIR}/vellumark)
  install(FILES assets/${VELLUMARK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES assets/${VELLUMARK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(FILES assets/vellumark.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
          RENAME ${VELLUMARK_APP_ID}.svg)
  install(FILES assets/vellumark-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
          RENAME vellumark.xml)
endif()

# ---- the Debian package -------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vellumark)
set(CPACK_PACKAGE_VENDOR "The Vellumark developers")
set(CPACK_PACKAGE_CONTACT "${VELLUMARK_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "editor for the game-flow script of Tomb Raider II")
set(CPACK_PACKAGE_DESCRIPTION
"Vellumark edits TOMBPC.DAT, the binary game-flow script of Tomb Raider II
(its picture list also serves Tomb Raider III): level names and files,
movies, cut-scenes, title screens, options, the command sequence of every
level, the demo levels, the game strings and the key strings, with undo,
level operations and a panel of problems. A script opened and saved without
edits comes out byte for byte the same.
.
The package holds the editor (vellumark) and its command-line companion
(vellumark-cli), which checks, converts to and from JSON, compares, resaves
and translates scripts (gettext catalogues) with the editor's own reader and
writer.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${VELLUMARK_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${PROJECT_HOMEPAGE_URL}")
# The libraries from dpkg-shlibdeps; the views show U+240A and U+240D in
# Unifont, whose glyphs for them read "LF" and "CR" even at the lists' small
# size (FreeFont draws them too, but too small to read); graphviz's dot lays
# out the game-flow graph.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-freefont-ttf, fonts-unifont, graphviz")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
