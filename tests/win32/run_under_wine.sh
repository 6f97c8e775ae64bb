#!/usr/bin/env bash
# Runs the tests of a cross-built Windows build under Wine, from a fresh machine or not: one Wine
# prefix (made inside the build folder on the first run), one private X server, and the Wine
# server with its services started before CTest. Each test then starts in a fraction of a second,
# and no Wine service keeps a test's output open. Everything started here is ended here.
#   tests/win32/run_under_wine.sh BUILD_DIR [ctest arguments]
set -euo pipefail
build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# The ANSI code page is 1252 here (a folder named "€uro" works) with no locale to generate.
export LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY

if [ ! -f "$WINEPREFIX/.plinkett-ready" ]; then
  bash "$here/make_prefix.sh" "$WINEPREFIX"
fi

xvfb_pid=""
display_file=$(mktemp)
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  timeout 20 wineserver -w >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -f "$display_file"
}
trap cleanup EXIT

# A display number Xvfb picks itself; -noreset keeps the key repeat rate set below.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 150); do
  grep -q . "$display_file" && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.1
done
grep -q . "$display_file" || { echo "Xvfb reported no display" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$display_file")"
xset r rate 250 30

# The services bind to the display of the process that starts them, so they start with this one.
wineserver -p
timeout 120 "$here/wine_run.sh" wineboot </dev/null >/dev/null 2>&1
# Wine's desktop process lives while some program has a window: one kept for the whole run.
# Otherwise the first window of every test starts a desktop process of its own, which keeps the
# test's output open (and CTest waiting) for a second and a half after the test has ended.
"$here/wine_run.sh" "$build/tests/win32/plinkett_win_probe.exe" hold </dev/null >/dev/null 2>&1 &
for _ in $(seq 100); do
  pgrep -f 'system32.explorer.exe /desktop' >/dev/null && break
  sleep 0.1
done

ctest --test-dir "$build" "$@"
