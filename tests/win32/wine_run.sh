#!/bin/sh
# Starts one Windows program of the tests under Wine, quietly: the emulator of the cross-built
# tests. The prefix, the display and the running Wine server come from run_under_wine.sh.
if [ -z "${WINEPREFIX:-}" ]; then
  echo "wine_run.sh: no WINEPREFIX; run the Windows tests through tests/win32/run_under_wine.sh" >&2
  exit 1
fi
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
