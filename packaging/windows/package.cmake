# The Windows package: a zip holding plinkett.exe, the Windows user's guide, a short read-me, the
# licence and the notices of the runtime linked into the program, made by `cpack -G ZIP` in a
# Windows build (scripts/package-windows.sh does it all in one command).
include(${PROJECT_SOURCE_DIR}/data/guide/guide.cmake)
plinkett_add_guide(windows ${PROJECT_BINARY_DIR}/guide)

install(TARGETS plinkett RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_BINARY_DIR}/guide DESTINATION .)
# The texts with Windows line ends, for any text editor there.
foreach(text IN ITEMS packaging/windows/README.txt:README.txt LICENSE:LICENSE.txt
                      packaging/windows/THIRD-PARTY-NOTICES.txt:THIRD-PARTY-NOTICES.txt)
  string(REPLACE ":" ";" text "${text}")
  list(GET text 0 from)
  list(GET text 1 to)
  configure_file(${PROJECT_SOURCE_DIR}/${from} ${PROJECT_BINARY_DIR}/packaging/${to} @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/packaging/${to} DESTINATION .)
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Plinkett)
set(CPACK_PACKAGE_VENDOR ${PLINKETT_VENDOR})
set(CPACK_SYSTEM_NAME win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
