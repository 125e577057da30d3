# cmake --install: a program folder that works wherever it is installed
# (/usr, /opt/terva, ~/.local). Nothing installed refers to the build tree:
# the programs find the engine library by TERVA_ENGINE_DIR from their own
# folder (cmake/Platform.cmake), and the manual and the foundation pictures
# are resources inside the program.
#
#   bin/                      terva, terva-batch, Terva3-viewer
#   lib/terva/                libTerva3-comp.so (TERVA_INSTALL_ENGINEDIR)
#   share/terva/examples/     the example inputs and projects
#   share/doc/terva/          the manual and its pictures, copyright, changelog
#   share/applications/       terva.desktop            \
#   share/mime/packages/      terva.xml (.tvd projects) | Linux desktops only
#   share/icons/hicolor/      the icon                  |
#   share/man/man1/           terva(1), terva-batch(1), Terva3-viewer(1)
include_guard(GLOBAL)

set(TERVA_INSTALL_DATADIR "${CMAKE_INSTALL_DATAROOTDIR}/terva")
set(TERVA_INSTALL_DOCDIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/terva")
set(TERVA_PACKAGING_DIR "${PROJECT_SOURCE_DIR}/packaging")

# The programs and the engine. The programs link only system libraries, so no
# run path is written into them.
set(programs terva-batch)
if(TARGET terva)
  list(APPEND programs terva Terva3-viewer)
endif()
install(TARGETS ${programs} RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(TARGETS Terva3-comp
        LIBRARY DESTINATION "${TERVA_INSTALL_ENGINEDIR}"
        RUNTIME DESTINATION "${TERVA_INSTALL_ENGINEDIR}")
install(TARGETS terva-engine-host RUNTIME DESTINATION "${TERVA_INSTALL_ENGINEDIR}")

# The examples: the engine inputs and the desktop program's projects.
install(DIRECTORY "${PROJECT_SOURCE_DIR}/examples/" DESTINATION "${TERVA_INSTALL_DATADIR}/examples"
        FILES_MATCHING PATTERN "*.tvd")

# The manual with the pictures that the Help menu shows (the files of its
# resource list), readable without the program.
file(STRINGS "${PROJECT_SOURCE_DIR}/docs/manual.qrc" manual_lines REGEX "<file>")
set(manual_files "")
foreach(line ${manual_lines})
  string(REGEX REPLACE ".*<file>(.*)</file>.*" "\\1" name "${line}")
  list(APPEND manual_files "${PROJECT_SOURCE_DIR}/docs/${name}")
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROJECT_SOURCE_DIR}/docs/manual.qrc")
install(FILES ${manual_files} DESTINATION "${TERVA_INSTALL_DOCDIR}/manual")
install(FILES "${TERVA_PACKAGING_DIR}/copyright" DESTINATION "${TERVA_INSTALL_DOCDIR}")

if(NOT UNIX OR APPLE)
  return()
endif()

# Compressed as Debian wants them (gzip -9n: no name, no time stamp); plain
# when gzip is missing.
find_program(TERVA_GZIP gzip)
# The changelog is history, written by hand: its top entry names the version
# being released, which must be the project's.
file(STRINGS "${TERVA_PACKAGING_DIR}/changelog" changelog_top LIMIT_COUNT 1)
if(NOT changelog_top MATCHES "^terva \\(${PROJECT_VERSION}\\) ")
  message(WARNING "packaging/changelog's top entry (${changelog_top}) is not version ${PROJECT_VERSION}")
endif()
# The man pages name the version: configured from packaging/man/*.1.in into
# the build folder.
set(man_pages terva.1 terva-batch.1 Terva3-viewer.1)
set(man_files "")
foreach(page ${man_pages})
  configure_file("${TERVA_PACKAGING_DIR}/man/${page}.in" "${CMAKE_BINARY_DIR}/packaging/man/${page}" @ONLY)
endforeach()
if(TERVA_GZIP)
  # A compressed copy of a packaging file in the build folder.
  function(terva_gzipped source out comment)
    add_custom_command(OUTPUT "${out}"
      COMMAND ${CMAKE_COMMAND} -E make_directory "${CMAKE_BINARY_DIR}/packaging"
      COMMAND sh -c "\"$0\" -9nc \"$1\" > \"$2\"" "${TERVA_GZIP}" "${source}" "${out}"
      DEPENDS "${source}"
      COMMENT "${comment}"
      VERBATIM)
  endfunction()
  foreach(page ${man_pages})
    set(out "${CMAKE_BINARY_DIR}/packaging/${page}.gz")
    terva_gzipped("${CMAKE_BINARY_DIR}/packaging/man/${page}" "${out}" "Compressing ${page}")
    list(APPEND man_files "${out}")
  endforeach()
  set(changelog "${CMAKE_BINARY_DIR}/packaging/changelog.gz")
  terva_gzipped("${TERVA_PACKAGING_DIR}/changelog" "${changelog}" "Compressing the changelog")
  add_custom_target(terva_packaging_files ALL DEPENDS ${man_files} "${changelog}")
  install(FILES "${changelog}" DESTINATION "${TERVA_INSTALL_DOCDIR}")
else()
  list(TRANSFORM man_pages PREPEND "${CMAKE_BINARY_DIR}/packaging/man/" OUTPUT_VARIABLE man_files)
  install(FILES "${TERVA_PACKAGING_DIR}/changelog" DESTINATION "${TERVA_INSTALL_DOCDIR}")
endif()
install(FILES ${man_files} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

if(NOT TARGET terva)
  return()
endif()

# Desktop integration: the menu entry, the MIME type of projects (so that a
# double-click on a .tvd opens it in terva) and the icon. The entry names the
# program by its full installed path, so that a prefix outside PATH works.
install(FILES "${TERVA_PACKAGING_DIR}/terva-mime.xml" DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/mime/packages"
        RENAME terva.xml)
install(DIRECTORY "${TERVA_PACKAGING_DIR}/icons/hicolor" DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/icons"
        FILES_MATCHING PATTERN "*.png")
install(FILES "${TERVA_PACKAGING_DIR}/icons/terva.svg" DESTINATION "${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps")
install(CODE "
  set(bindir \"${CMAKE_INSTALL_BINDIR}\")
  if(NOT IS_ABSOLUTE \"\${bindir}\")
    set(bindir \"\${CMAKE_INSTALL_PREFIX}/\${bindir}\")
  endif()
  file(READ \"${TERVA_PACKAGING_DIR}/terva.desktop\" entry)
  string(REPLACE \"Exec=terva \" \"Exec=\${bindir}/terva \" entry \"\${entry}\")
  file(WRITE \"${CMAKE_BINARY_DIR}/packaging/terva.desktop\" \"\${entry}\")
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/applications\" TYPE FILE
       FILES \"${CMAKE_BINARY_DIR}/packaging/terva.desktop\")
")
