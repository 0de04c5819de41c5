# Compiler flags shared by every target, and the stricter set of the plug-in.

add_library(tastiro_warnings INTERFACE)
target_compile_options(tastiro_warnings INTERFACE -Wall -Wextra -Werror)

# The plug-in runs inside the host's process: no exceptions, no RTTI.
add_library(tastiro_plugin_flags INTERFACE)
target_link_libraries(tastiro_plugin_flags INTERFACE tastiro_warnings)
target_compile_options(tastiro_plugin_flags INTERFACE
  $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>
  -fno-strict-aliasing)

# Every Windows source of the win32 build sees the lean <windows.h>, without
# the min/max macros.
if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX)
endif()

# Runs a Windows program of the win32 build under Wine with the build's own
# prefix (see cmake/wine-run.sh.in).
if(WIN32)
  set(TASTIRO_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                  WORLD_READ WORLD_EXECUTE @ONLY)
  set(TASTIRO_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()
