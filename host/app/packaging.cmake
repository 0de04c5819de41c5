# `make package`: the plug-in as a ZIP to unpack beside a host program.
#
#   wtyczki/tastiromatika.dll   the plug-in
#   wtyczki/keys.h              the key names macros use
#   examples/                   example macros (one with its log already there)
#   docs/user-guide.md          how to run macros, their syntax, keys, the log
#
# The stand-in host is not packed: unpacked beside a real host, it would
# take that host's place.
install(TARGETS tastiromatika RUNTIME DESTINATION wtyczki)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/wtyczki/keys.h DESTINATION wtyczki)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/examples/ DESTINATION examples)
install(FILES ${CMAKE_SOURCE_DIR}/docs/user-guide.md DESTINATION docs)
# tastiro-merge.exe: a macro from a template and a table (examples/klienci*).
install(PROGRAMS $<TARGET_FILE:tastiro-merge> DESTINATION .)  # defined later, in tools/merge
install(FILES ${CMAKE_SOURCE_DIR}/docs/tastiro-merge.md DESTINATION docs)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Tastiromatika)
set(CPACK_PACKAGE_VENDOR Tastiromatika)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME tastiromatika-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
include(CPack)
