#!/usr/bin/env bash
# The page's benchmark: builds the page (Release, as scripts/run-web.sh does), then prints the
# size of its code compressed, the time from navigation to the first drawn keyboard, and key press
# to MIDIOutput.send() over 200 presses; the figures are kept in bench-artifacts/web-<date>.txt.
set -euo pipefail
cd "$(dirname "$0")/../.."
bash scripts/build-web.sh
mkdir -p bench-artifacts
PLINKETT_BENCH_OUT="bench-artifacts/web-$(date +%Y%m%d-%H%M%S).txt" node bench/web/bench.mjs build/web/page "$@"
