#!/usr/bin/env bash
# Real browsers on a cleaned profile (needs Debian's firefox-esr and chromium,
# which the test command does not install): both browsers make profiles in a
# throw-away home, DKWT cleans them with a task file, both reopen the cleaned
# profiles and record new history, and every database passes its integrity
# check. Nothing outside the temporary folder is touched.
#   tools/real-browser-check.sh build/DKWT
set -u
dkwt=$(realpath "$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache \
       XDG_DATA_HOME=$work/home/.local/share TMP=$work/tmp TMPDIR=$work/tmp DKWT_DRY_RUN=$work/actions
mkdir -p "$HOME/Desktop" "$TMP" "$XDG_DATA_HOME/DKWT-Tasks"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
q() { sqlite3 "file:$1?mode=ro" "$2"; }
for i in 1 2 3; do echo "<html><head><title>Page $i</title></head><body>$i</body></html>" >"$work/page$i.html"; done
firefox() { timeout 120 firefox-esr --headless --screenshot "$work/shot.png" "file://$work/page$1.html" >/dev/null 2>&1; }
chromium_() {
  timeout 120 chromium --headless=new --no-sandbox --disable-gpu --user-data-dir="$XDG_CONFIG_HOME/chromium" \
    --dump-dom "file://$work/page$1.html" >/dev/null 2>&1
}

for i in 1 2; do firefox $i || fail "firefox-esr could not make its profile"; chromium_ $i || fail "chromium could not make its profile"; done
places=$(find "$HOME" -name places.sqlite | head -1)
history=$XDG_CONFIG_HOME/chromium/Default/History
[ -n "$places" ] && [ -e "$history" ] || { fail "no profiles were made"; exit 1; }
bookmarks=$(q "$places" "SELECT count(*) FROM moz_bookmarks")

printf '[CLEANUP]\nCache=Firefox,Chrome\nBrowser_History=Firefox,Chrome\nCookies=Firefox,Chrome\nSession=Firefox\n' \
  >"$XDG_DATA_HOME/DKWT-Tasks/cleanup.stask"
timeout 120 xvfb-run -a "$dkwt" -task "$XDG_DATA_HOME/DKWT-Tasks/cleanup.stask" || fail "DKWT did not end well"
ls "$HOME/Desktop"/DKWT_Error_* >/dev/null 2>&1 && fail "errors were logged: $(cat "$HOME"/Desktop/DKWT_Error_*)"
[ "$(q "$places" "SELECT count(*) FROM moz_historyvisits")" = 0 ] || fail "Firefox visits left"
[ "$(q "$places" "SELECT count(*) FROM moz_places WHERE url LIKE 'file:%'")" = 0 ] || fail "Firefox pages left"
[ "$(q "$places" "SELECT count(*) FROM moz_bookmarks")" = "$bookmarks" ] || fail "Firefox bookmarks changed"
[ ! -e "$history" ] || [ "$(q "$history" "SELECT count(*) FROM visits")" = 0 ] || fail "Chromium visits left"

firefox 3 || fail "firefox-esr does not reopen the cleaned profile"
chromium_ 3 || fail "chromium does not reopen the cleaned profile"
[ "$(q "$places" "SELECT count(*) FROM moz_places WHERE url LIKE '%page3.html'")" = 1 ] || fail "Firefox keeps no new history"
[ "$(q "$history" "SELECT count(*) FROM urls WHERE url LIKE '%page3.html'")" = 1 ] || fail "Chromium keeps no new history"
for db in "$places" "$history" "$(dirname "$places")/favicons.sqlite"; do
  [ ! -e "$db" ] || [ "$(q "$db" "PRAGMA integrity_check")" = ok ] || fail "$db damaged"
done
[ $failures -eq 0 ] && echo "real browsers reopen the cleaned profiles: ok"
exit $failures
