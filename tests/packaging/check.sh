#!/usr/bin/env bash
# Checks of what the package ships, each a CTest case:
#   check.sh desktop-entry FILE
#   check.sh metainfo FILE VERSION          (VERSION: the program's, the newest release's too)
#   check.sh man-page FILE
#   check.sh no-build-folder BINARY FOLDER...
# Exit status 0 = passed, 1 = failed, 77 = skipped (a tool the check needs is missing).
set -uo pipefail

need() {
  command -v "$1" >/dev/null || { echo "SKIP: missing $1 (scripts/install-deps.sh installs it)"; exit 77; }
}
fail() { echo "FAIL: $*"; exit 1; }

check=$1
shift
case "$check" in
  desktop-entry)
    need desktop-file-validate
    out=$(desktop-file-validate "$1" 2>&1) || fail "$out"
    [ -z "$out" ] || fail "$out"
    ;;
  metainfo)
    need appstreamcli
    appstreamcli validate --no-net --pedantic "$1" || fail "appstreamcli found faults"
    newest=$(grep -m1 -o '<release version="[^"]*"' "$1")
    [ "$newest" = "<release version=\"$2\"" ] || fail "newest release is ${newest#*=}, the program is $2"
    ;;
  man-page)
    need man
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 "$1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$warnings"
    ;;
  no-build-folder)
    need strings
    binary=$1
    shift
    # In 8-bit and in UTF-16 text (Qt's string literals).
    for folder in "$@"; do
      for encoding in s l; do
        if strings -a -e "$encoding" "$binary" | grep -F -- "$folder"; then
          fail "the program names $folder"
        fi
      done
    done
    ;;
  *)
    fail "no check $check"
    ;;
esac
echo "PASS $check"
