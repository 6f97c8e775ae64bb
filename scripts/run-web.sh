#!/usr/bin/env bash
# Builds the page and serves it on http://localhost:8000/ (a secure context, as Web MIDI needs);
# open the address in Chrome or Edge for MIDI devices, in any browser for the built-in synthesizer.
# build/web/page/ works from any static web server as well. Ctrl+C stops the server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build-web.sh
exec node scripts/serve-web.mjs build/web/page "${1:-8000}"
