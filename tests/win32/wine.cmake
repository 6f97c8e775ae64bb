# Tests of a Windows build cross-built on Linux. They run under Wine: tests/win32/run_under_wine.sh
# provides the prefix, the X display and a running Wine server, and wine_run.sh starts each one.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine_run.sh)
# The build's own paths as a Windows program sees them: Wine's drive Z: is the Linux root.
set(PLINKETT_PATH_PREFIX "Z:")
# GoogleTest from Debian's sources (googletest), built with the cross compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
