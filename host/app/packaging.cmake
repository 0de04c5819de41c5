# `make package`: the plug-in as a ZIP that a user unpacks into the folder
# of their VOLMAR program.
#
#   wtyczki/tastiromatika.dll                  the plug-in that plays macros
#   wtyczki/zapis-klawiszy.dll                 the plug-in that records them
#   tastiromatika-<version>-instalacja.md      the install note (Polish, English)
#   tastiromatika-<version>/tastiro-check.exe, tastiro-merge.exe: the tools,
#     each with its manual in Polish (-instrukcja.md) and English (-manual.md)
#   tastiromatika-<version>/keys.h             sample key names
#   tastiromatika-<version>/przyklady/         example macros (one with its log)
#   tastiromatika-<version>/przewodnik.md, user-guide.md   the user guides
#
# Unpacked over a host, it must never replace a file the user has: the host's
# own wtyczki\keys.h, their macros, logs and settings.  So everything but the
# plug-ins lies in a folder named after this version, and the note beside it
# carries the version too.  The stand-in host is not packed: unpacked beside
# a real host, it would take that host's place.
#
# Included from the top-level CMakeLists once every target exists.
set(TASTIRO_PACKAGE_FOLDER tastiromatika-${PROJECT_VERSION})

install(TARGETS tastiromatika zapis_klawiszy RUNTIME DESTINATION wtyczki)

# The tools for macro authors: a tool joins the package by its target's name.
set(TASTIRO_PACKAGE_TOOLS tastiro-check tastiro-merge)
foreach(tool IN LISTS TASTIRO_PACKAGE_TOOLS)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${TASTIRO_PACKAGE_FOLDER})
  endif()
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/host/app/wtyczki/keys.h
              ${CMAKE_SOURCE_DIR}/docs/przewodnik.md ${CMAKE_SOURCE_DIR}/docs/user-guide.md
        DESTINATION ${TASTIRO_PACKAGE_FOLDER})
# The tools' manuals for host users (building and fuzzing stay in the
# repository's docs/tastiro-check.md and docs/tastiro-merge.md).
if(TARGET tastiro-check)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/tastiro-check-instrukcja.md
                ${CMAKE_SOURCE_DIR}/docs/tastiro-check-manual.md
          DESTINATION ${TASTIRO_PACKAGE_FOLDER})
endif()
# tastiro-merge: a macro from a template and a table (przyklady/klienci*).
if(TARGET tastiro-merge)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/tastiro-merge-instrukcja.md
                ${CMAKE_SOURCE_DIR}/docs/tastiro-merge-manual.md
          DESTINATION ${TASTIRO_PACKAGE_FOLDER})
endif()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION ${TASTIRO_PACKAGE_FOLDER}/przyklady)
install(FILES ${CMAKE_SOURCE_DIR}/docs/install-note.md DESTINATION .
        RENAME ${TASTIRO_PACKAGE_FOLDER}-instalacja.md)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tastiromatika)
set(CPACK_PACKAGE_VENDOR Tastiromatika)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME tastiromatika-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
