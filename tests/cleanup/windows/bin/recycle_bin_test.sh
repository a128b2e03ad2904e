#!/bin/sh
# Runs the recycle bin test under Wine with a Unix home and data folder of its
# own: Wine's recycle bin is the Unix user's trash.
#   $1 tools/wine-run   $2 the test program
set -eu
sandbox=$(mktemp -d "${TMPDIR:-/tmp}/dkwt-recycle-bin-XXXXXX")
trap 'rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox/home" "$sandbox/data" "$sandbox/files"
HOME="$sandbox/home" XDG_DATA_HOME="$sandbox/data" DKWT_BIN_SANDBOX="$sandbox" sh "$1" "$2"
