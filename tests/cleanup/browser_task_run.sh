#!/usr/bin/env bash
# A clean-up task file run by the real DKWT on generated Firefox and Chromium
# profiles inside a throw-away home, in every packaging the clean-up knows
# (deb, snap, flatpak; Chromium, Chrome, Brave, Vivaldi, Edge, Opera): the
# program cleans them all in one run and ends by itself, and every bookmark
# survives.
set -u
dkwt=$1
make_profiles=$2
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config \
       XDG_CACHE_HOME=$work/home/.cache TMP=$work/tmp TMPDIR=$work/tmp DKWT_DRY_RUN=$work/actions
mkdir -p "$HOME/Desktop" "$TMP" "$work/bin"
cp "$dkwt" "$work/bin/DKWT"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
q() { sqlite3 "file:$1?mode=ro" "$2"; }

"$make_profiles" --all-roots "$HOME" 2000 4000 200 500 300 || { echo "cannot make profiles"; exit 1; }
ff=$HOME/.mozilla/firefox/k3xq9v2a.default-esr
ffcache=$XDG_CACHE_HOME/mozilla/firefox/k3xq9v2a.default-esr
cr=$XDG_CONFIG_HOME/chromium/Default
crcache=$XDG_CACHE_HOME/chromium/Default
bookmarks_before=$(q "$ff/places.sqlite" "SELECT group_concat(guid || fk, ',') FROM moz_bookmarks")

mkdir -p "$XDG_DATA_HOME/DKWT-Tasks"
task=$XDG_DATA_HOME/DKWT-Tasks/cleanup.stask
printf '[CLEANUP]\nCache=Firefox,Chrome\nBrowser_History=Firefox,Chrome\nCookies=Firefox,Chrome\n' >"$task"

timeout 120 "$work/bin/DKWT" -task "$task" >"$work/out" 2>&1
rc=$?
[ $rc -ne 124 ] || fail "DKWT did not end by itself"
[ $rc -eq 0 ] || fail "DKWT exit status $rc: $(cat "$work/out")"

[ "$(q "$ff/places.sqlite" "SELECT count(*) FROM moz_historyvisits")" = 0 ] || fail "Firefox visits left"
[ "$(q "$ff/places.sqlite" "SELECT count(*) FROM moz_places")" = 200 ] || fail "Firefox places: not the bookmarked ones"
[ "$(q "$ff/places.sqlite" "SELECT group_concat(guid || fk, ',') FROM moz_bookmarks")" = "$bookmarks_before" ] ||
  fail "Firefox bookmarks changed"
[ "$(q "$ff/places.sqlite" "SELECT count(*) FROM moz_bookmarks b WHERE fk NOT NULL AND NOT EXISTS (SELECT 1 FROM moz_places p WHERE p.id = b.fk)")" = 0 ] ||
  fail "a Firefox bookmark lost its page"
[ "$(q "$ff/places.sqlite" "PRAGMA integrity_check")" = ok ] || fail "places.sqlite damaged"
[ "$(q "$ff/places.sqlite" "SELECT count(*) FROM moz_places WHERE visit_count <> 0 OR last_visit_date NOT NULL OR frecency <> -1")" = 0 ] ||
  fail "kept Firefox places keep their visits' counts, dates or frecency"
[ "$(q "$ff/places.sqlite" "SELECT (SELECT count(*) FROM moz_origins WHERE frecency <> -1) + (SELECT count(*) FROM moz_meta WHERE key GLOB 'origin_frecency_*') + (SELECT count(*) FROM moz_newtab_shortcuts_interaction) + (SELECT count(*) FROM moz_newtab_story_click)")" = 0 ] ||
  fail "Firefox origins' frecency or new-tab interactions left"
[ ! -e "$ff/cookies.sqlite" ] || fail "Firefox cookies left"
[ -z "$(find "$ffcache/cache2" -type f)" ] || fail "Firefox cache left"
[ -e "$ff/key4.db" ] && [ -e "$ff/prefs.js" ] || fail "Firefox files outside the items were touched"

[ "$(q "$cr/History" "SELECT count(*) FROM visits")" = 0 ] || fail "Chromium visits left"
[ "$(q "$cr/History" "SELECT count(*) FROM urls")" = 200 ] || fail "Chromium urls: not the bookmarked ones"
[ "$(q "$cr/History" "SELECT count(*) FROM urls WHERE url = 'https://example.org/it''s-a-page'")" = 1 ] ||
  fail "the bookmarked URL with a quote lost its row"
[ "$(q "$cr/History" "SELECT count(*) FROM urls WHERE visit_count <> 0 OR typed_count <> 0 OR last_visit_time <> 0")" = 0 ] ||
  fail "kept Chromium urls keep their visits' counts or time"
[ "$(q "$cr/Cookies" "SELECT count(*) FROM cookies")" = 0 ] || fail "Chromium cookies left"
[ "$(q "$cr/History" "PRAGMA integrity_check")" = ok ] || fail "History damaged"
[ -z "$(find "$crcache/Cache" "$crcache/Code Cache" -type f)" ] || fail "Chromium cache left"
[ -z "$(find "$cr/Sessions" -type f)" ] || fail "Chromium sessions left"
grep -q '"url": "https://example.org/it' "$cr/Bookmarks" || grep -q "it's-a-page" "$cr/Bookmarks" || fail "Bookmarks changed"
# The other packagings: each root cleaned as the first, bookmarks kept.
for ff in "$HOME"/snap/firefox/common/.mozilla/firefox/k3xq9v2a.default-esr \
          "$HOME"/.var/app/org.mozilla.firefox/.mozilla/firefox/k3xq9v2a.default-esr; do
  [ "$(q "$ff/places.sqlite" "SELECT count(*) FROM moz_historyvisits")" = 0 ] || fail "visits left in $ff"
  [ "$(q "$ff/places.sqlite" "SELECT count(*) FROM moz_places")" = 200 ] || fail "places of $ff: not the bookmarked ones"
  [ ! -e "$ff/cookies.sqlite" ] || fail "cookies left in $ff"
  [ -e "$ff/key4.db" ] || fail "key store of $ff touched"
done
for cache in "$HOME"/snap/firefox/common/.cache/mozilla/firefox/k3xq9v2a.default-esr \
             "$HOME"/.var/app/org.mozilla.firefox/cache/mozilla/firefox/k3xq9v2a.default-esr; do
  [ -z "$(find "$cache/cache2" -type f)" ] || fail "cache left in $cache"
done
for user_data in "$HOME"/snap/chromium/common/chromium "$HOME"/.var/app/org.chromium.Chromium/config/chromium \
                 "$XDG_CONFIG_HOME"/google-chrome "$HOME"/.var/app/com.google.Chrome/config/google-chrome \
                 "$XDG_CONFIG_HOME"/BraveSoftware/Brave-Browser "$HOME"/snap/brave/current/.config/BraveSoftware/Brave-Browser \
                 "$HOME"/.var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser \
                 "$XDG_CONFIG_HOME"/vivaldi "$XDG_CONFIG_HOME"/microsoft-edge "$XDG_CONFIG_HOME"/chromium; do
  p=$user_data/Default
  [ "$(q "$p/History" "SELECT count(*) FROM visits")" = 0 ] || fail "visits left in $p"
  [ "$(q "$p/History" "SELECT count(*) FROM urls")" = 200 ] || fail "urls of $p: not the bookmarked ones"
  [ "$(q "$p/Cookies" "SELECT count(*) FROM cookies")" = 0 ] || fail "cookies left in $p"
  [ -z "$(find "$p/GPUCache" "$p/DawnWebGPUCache" "$user_data/GrShaderCache" -type f)" ] || fail "shader caches left in $user_data"
  [ -e "$p/Bookmarks" ] && [ -e "$user_data/Local State" ] || fail "files outside the items touched in $user_data"
done
for cache in "$HOME"/snap/chromium/common/.cache/chromium "$HOME"/.var/app/org.chromium.Chromium/cache/chromium \
             "$XDG_CACHE_HOME"/BraveSoftware/Brave-Browser "$HOME"/snap/brave/common/.cache/BraveSoftware/Brave-Browser \
             "$XDG_CACHE_HOME"/vivaldi "$XDG_CACHE_HOME"/microsoft-edge; do
  [ -z "$(find "$cache/Default/Cache" -type f)" ] || fail "cache left in $cache"
done

ls "$HOME/Desktop"/DKWT_Error_* >/dev/null 2>&1 && fail "errors were logged: $(cat "$HOME"/Desktop/DKWT_Error_*)"

[ $failures -eq 0 ] && echo "browser task run: ok"
exit $failures
