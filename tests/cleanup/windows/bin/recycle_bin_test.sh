#!/bin/sh
# Runs the recycle bin test under Wine with a Unix home and data folder of its
# own: Wine's recycle bin is the Unix user's trash.
#   $1 tools/wine-run   $2 the test program
set -eu
sandbox=$(mktemp -d "${TMPDIR:-/tmp}/dkwt-recycle-bin-XXXXXX")
mkdir -p "$sandbox/home" "$sandbox/data" "$sandbox/files"
status=0
HOME="$sandbox/home" DKWT_WINE_DATA_HOME="$sandbox/data" DKWT_BIN_SANDBOX="$sandbox" sh "$1" "$2" || status=$?
# Wine's helpers may still be writing their menu entries there for a moment.
for attempt in 1 2 3 4 5; do
  rm -rf "$sandbox" 2>/dev/null && break
  sleep 1
done
exit "$status"
