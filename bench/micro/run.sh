#!/usr/bin/env bash
# Microbenchmarks of a Release build: the key-press road through the core on the recording
# platform, a whole paint at each zoom (the core alone, and the Qt front end offscreen), and the
# settings record and file. Prints the figures and keeps them in bench-artifacts/micro-<date>.txt. Arguments go to
# every benchmark program, e.g. --benchmark_filter=Paint or --benchmark_repetitions=5.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/install-deps.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPLINKETT_SANITIZE=OFF -DPLINKETT_BENCH=ON > /dev/null
cmake --build build/bench -j "$(nproc)" --target plinkett_micro_core plinkett_micro_paint plinkett_micro_files

mkdir -p bench-artifacts
out="bench-artifacts/micro-$(date -u +%Y-%m-%d).txt"
folder="${TMPDIR:-/tmp}"
{
  echo "Plinkett $(git describe --always --dirty 2>/dev/null || echo '?') microbenchmarks, $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "Machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg); settings folder on $(stat -f -c %T "$folder")"
  echo
  build/bench/bench/micro/plinkett_micro_core "$@"
  echo
  QT_QPA_PLATFORM=offscreen build/bench/bin/plinkett_micro_paint "$@"
  echo
  build/bench/bench/micro/plinkett_micro_files "$@"
} 2>&1 | tee "$out"
echo "Written to $out"
