#!/usr/bin/env bash
# Builds the Debian package of the Linux desktop program: build/package/plinkett_<version>_<arch>.deb,
# which installs with `apt-get install ./build/package/plinkett_*.deb`.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLINKETT_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
cmake --build build/package -j "$(nproc)"
(cd build/package && cpack -G DEB)
ls build/package/plinkett_*.deb
