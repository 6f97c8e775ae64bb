#!/usr/bin/env bash
# Measures key-press-to-MIDI latency of a Release build of the real program and prints it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLINKETT_SANITIZE=OFF > /dev/null
cmake --build build/bench -j "$(nproc)" --target plinkett plinkett_jack_capture plinkett_midi_tool
python3 bench/key_latency.py \
  --capture build/bench/tests/e2e/plinkett_jack_capture \
  --midi-tool build/bench/tests/e2e/plinkett_midi_tool \
  --program build/bench/bin/plinkett "$@"
