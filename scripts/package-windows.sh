#!/usr/bin/env bash
# Builds the Windows package on a fresh Debian 12 machine: plinkett.exe cross-built with
# mingw-w64 (statically linked: it needs no DLL beyond Windows' own), zipped with the user's guide
# and a short read-me. Prints the path of the zip.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/win-package -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DPLINKETT_TESTS=OFF
cmake --build build/win-package -j "$(nproc)"
(cd build/win-package && cpack -G ZIP >/dev/null)
ls "$PWD"/build/win-package/Plinkett-*-win64.zip
