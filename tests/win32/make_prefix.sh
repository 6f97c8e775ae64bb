#!/usr/bin/env bash
# Makes the Wine prefix the Windows tests run in (about 10 s), without a display and without
# prompts. A prefix interrupted half-way is made again: only a complete one carries the mark.
#   tests/win32/make_prefix.sh PREFIX
set -euo pipefail
prefix=$(realpath -m "$1")
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv=d"
unset DISPLAY WAYLAND_DISPLAY  # with a display, the first boot takes twice as long
rm -rf "$prefix"
timeout 180 wineboot -i >/dev/null 2>&1
timeout 60 wine reg import "$here/prefix.reg" >/dev/null 2>&1
# The caption buttons are drawn with Marlett, which Wine does not look for where Debian puts it.
if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
  cp /usr/share/wine/fonts/marlett.ttf "$prefix/drive_c/windows/Fonts/"
fi
# The registry reaches the disk only when the server ends.
wineserver -k || true
timeout 30 wineserver -w || true
grep -q '"Managed"="N"' "$prefix/user.reg"
touch "$prefix/.plinkett-ready"
