#!/usr/bin/env bash
# A clean-up task file run by the real binary: it cleans the throw-away home's
# temporary files, trash, thumbnails, recent documents and clipboard, leaves
# every other byte alone and ends by itself.
set -u
dkwt=$1
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config \
       XDG_CACHE_HOME=$work/home/.cache TMP=$work/tmp TMPDIR=$work/tmp DKWT_DRY_RUN=$work/actions \
       DKWT_MOUNTINFO=$work/no-volumes
: >"$DKWT_MOUNTINFO"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
mkdir -p "$work/bin" "$HOME/Desktop" "$XDG_DATA_HOME/DKWT-Tasks"
cp "$dkwt" "$work/bin/DKWT"

keep=$HOME/Documents
mkdir -p "$keep/sub" && echo precious >"$keep/report.odt" && echo deep >"$keep/sub/file"
mkdir -p "$TMP/build/obj" "$XDG_DATA_HOME/Trash/files/old" "$XDG_DATA_HOME/Trash/info" \
         "$XDG_CACHE_HOME/thumbnails/normal"
echo a >"$TMP/a" && echo o >"$TMP/build/obj/x.o"
ln -s "$keep" "$TMP/documents" && ln -s "$keep/report.odt" "$TMP/report"
mkfifo "$TMP/fifo"
echo t >"$XDG_DATA_HOME/Trash/files/old/t" && echo i >"$XDG_DATA_HOME/Trash/info/old.trashinfo"
echo p >"$XDG_CACHE_HOME/thumbnails/normal/p.png"
printf '<?xml version="1.0"?>\n<xbel version="1.0"><bookmark href="file:///secret"/></xbel>\n' \
  >"$XDG_DATA_HOME/recently-used.xbel"
before=$(cd "$keep" && find . -type f -exec sha1sum {} + | sort)
printf 'secret' | xclip -selection clipboard -i
task=$XDG_DATA_HOME/DKWT-Tasks/cleanup.stask
printf '[CLEANUP]\nFree_Space=Temp,RecycleBin,Thumbnails\nHistory=RecentDocumentsList,Clipboard\n' >"$task"

"$work/bin/DKWT" -task "$task" & pid=$!
for _ in $(seq 1 300); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
if kill -0 $pid 2>/dev/null; then
  fail "the task-file run did not end by itself within 30 s"
  kill $pid
fi
wait $pid 2>/dev/null

left=$(find "$TMP" -mindepth 1 | sort)
[ "$left" = "$TMP/fifo" ] || fail "temporary folder still holds: $left"
[ -z "$(find "$XDG_DATA_HOME/Trash" -mindepth 2)" ] || fail "trash not empty"
for d in files info; do [ -d "$XDG_DATA_HOME/Trash/$d" ] || fail "trash folder $d removed"; done
[ -d "$XDG_CACHE_HOME/thumbnails/normal" ] && [ -z "$(ls -A "$XDG_CACHE_HOME/thumbnails/normal")" ] ||
  fail "thumbnails not emptied"
grep -q secret "$XDG_DATA_HOME/recently-used.xbel" && fail "recent documents kept"
grep -q '</xbel>' "$XDG_DATA_HOME/recently-used.xbel" || fail "recent documents list is no XBEL document"
xclip -selection clipboard -o 2>/dev/null | grep -q secret && fail "clipboard kept"
after=$(cd "$keep" && find . -type f -exec sha1sum {} + | sort)
[ "$before" = "$after" ] || fail "files outside the cleaned places changed"
[ $failures -eq 0 ] && echo "clean-up task file run passed"
exit $failures
