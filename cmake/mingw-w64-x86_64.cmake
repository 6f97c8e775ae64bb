# Cross-building the Windows program on Linux with mingw-w64 (Debian's g++-mingw-w64-x86-64):
#   cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The -posix compilers: the unsuffixed ones use the win32 thread model, where std::mutex (which
# GoogleTest needs) does not exist.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PLINKETT_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PLINKETT_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PLINKETT_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PLINKETT_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${PLINKETT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# The C and C++ runtimes and winpthread linked in: the program needs no DLL beyond Windows' own.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
