# The Windows package: a zip holding plinkett.exe, the user's guide and a short read-me, made by
# `cpack -G ZIP` in a Windows build (scripts/package-windows.sh does it all in one command).
install(TARGETS plinkett RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/guide DESTINATION .)
# With Windows line ends, for any text editor there.
configure_file(${CMAKE_CURRENT_LIST_DIR}/README.txt ${PROJECT_BINARY_DIR}/packaging/README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${PROJECT_BINARY_DIR}/packaging/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Plinkett)
set(CPACK_PACKAGE_VENDOR Quillor)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
