#!/usr/bin/env bash
# Builds and runs the program on a fresh machine: installs what is missing, builds a release
# build of the Linux desktop front end, and starts it. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/run -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLINKETT_TESTS=OFF
cmake --build build/run -j "$(nproc)"
exec build/run/bin/plinkett "$@"
