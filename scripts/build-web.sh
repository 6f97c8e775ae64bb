#!/usr/bin/env bash
# Builds the page into build/web/page/ on a fresh machine: installs what is missing (Debian's
# Emscripten and Chromium, the npm packages of package-lock.json), compiles the core and the web
# front end to WebAssembly and bundles the page's JavaScript and the synthesizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
# No npm package may fetch a browser of its own: the tests drive Debian's Chromium. npm ci empties
# node_modules and installs it again: only when the lock file is newer than what was installed.
if [ ! node_modules/.package-lock.json -nt package-lock.json ]; then
  PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error
fi
emcmake cmake -S . -B build/web -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build build/web -j "$(nproc)"
