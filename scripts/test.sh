#!/usr/bin/env bash
# Runs every test from a fresh machine: installs what is missing, builds with the sanitizers on,
# and runs the whole suite through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DPLINKETT_SANITIZE=ON
cmake --build build/test -j "$(nproc)"
ctest --test-dir build/test --output-on-failure -j "$(nproc)"

# The page: the core compiled to WebAssembly (build/web), end to end in a headless Chromium.
bash scripts/build-web.sh
ctest --test-dir build/web --output-on-failure

# The settings reader under libFuzzer: a clang build of the core alone, its known crashing
# inputs replayed, then a bounded run (PLINKETT_FUZZ_SECONDS, a minute by default).
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DPLINKETT_FUZZ=ON -DPLINKETT_FUZZ_SECONDS="${PLINKETT_FUZZ_SECONDS:-60}"
cmake --build build/fuzz -j "$(nproc)"
if ! ctest --test-dir build/fuzz -V > build/fuzz/fuzz.log 2>&1; then
  tail -n 80 build/fuzz/fuzz.log
  exit 1
fi
# Executions and coverage of the run, for the record.
grep -E "^[0-9]+: (stat::|#[0-9]+[[:space:]]+DONE)|tests passed" build/fuzz/fuzz.log

# The Windows program: cross-built with mingw-w64, its tests run under Wine on a private X server
# (the core's tests, the front end in-process, and the real plinkett.exe end to end).
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release
cmake --build build/win -j "$(nproc)"
bash tests/win32/run_under_wine.sh build/win --output-on-failure -j "$(nproc)"
