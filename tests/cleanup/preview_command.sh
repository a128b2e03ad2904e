#!/usr/bin/env bash
# "DKWT -preview" on generated profiles with no display at all: one line per
# entry and a total, the same as JSON, and not one byte, mode or time of the
# throw-away home changed.
set -u
dkwt=$1
make_profiles=$2
work=$(mktemp -d)
out=$(mktemp -d)  # the printed results, outside the home
trap 'rm -rf "$work" "$out"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config \
       XDG_CACHE_HOME=$work/home/.cache TMP=$work/tmp TMPDIR=$work/tmp DKWT_DRY_RUN=$work/actions \
       DKWT_MOUNTINFO=$work/no-volumes
unset DISPLAY WAYLAND_DISPLAY
: >"$DKWT_MOUNTINFO"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
mkdir -p "$HOME" "$TMP/sub"
"$make_profiles" "$HOME" 50 80 5 7 10 >/dev/null || fail "profiles not made"
printf 'x%.0s' $(seq 1 1000) >"$TMP/sub/kilo"
echo tab >"$TMP/a	b"
task=$work/cleanup.stask
printf '[CLEANUP]\nFree_Space=Temp\nBrowser_History=Firefox,Chrome\nCookies=Chrome\nCache=Firefox\n' >"$task"

state() { find "$work" -printf '%p %y %m %s %T@ %C@\n' | sort; find "$HOME" "$TMP" -type f -exec sha1sum {} + | sort; }
before=$(state)
"$dkwt" -preview "$task" >"$out/out.txt" 2>"$out/out.err"; rc=$?
"$dkwt" -preview "$task" --json >"$out/out.json" 2>/dev/null || fail "--json did not exit 0"
after=$(state)
[ "$before" = "$after" ] || fail "the preview changed the home: $(diff <(echo "$before") <(echo "$after") | head -5)"

[ $rc -eq 0 ] || fail "exit status $rc: $(cat "$out/out.err")"
awk -F'\t' 'NF != 3 || $2 !~ /^[0-9]+$/ { bad = 1 } END { exit bad }' "$out/out.txt" || fail "a line is not item, bytes, what"
last=$(tail -n 1 "$out/out.txt")
[[ $last == Total$'\t'* ]] || fail "last line is no total: $last"
total=$(cut -f2 <<<"$last")
sum=$(grep -v '^Total' "$out/out.txt" | awk -F'\t' '{ s += $2 } END { print s + 0 }')
[ "$total" = "$sum" ] || fail "total $total is not the sum $sum"
grep -qP "^Free_Space/Temp\t1000\t$TMP/sub/kilo$" "$out/out.txt" || fail "temporary file missing"
grep -qF "Free_Space/Temp	4	$TMP/a\\tb" "$out/out.txt" || fail "tab in a name not escaped"
grep -qP "^Browser_History/Firefox\t0\t80 visits in $HOME/\.mozilla/firefox/[^/]+/places\.sqlite$" "$out/out.txt" ||
  fail "Firefox visits not counted"
grep -qP "^Cookies/Chrome\t0\t7 cookies in $HOME/\.config/chromium/Default/Cookies$" "$out/out.txt" ||
  fail "Chromium cookies not counted"
grep -qP "^Cache/Firefox\t[0-9]+\t$HOME/\.cache/mozilla/firefox/" "$out/out.txt" || fail "Firefox cache missing"
python3 - "$out/out.json" "$total" <<'PY' || fail "JSON document differs from the lines"
import json, sys
doc = json.load(open(sys.argv[1]))
assert doc["total"] == int(sys.argv[2]), doc["total"]
assert sum(item["bytes"] for item in doc["items"]) == doc["total"]
assert {item["item"] for item in doc["items"]} >= {"Free_Space/Temp", "Cookies/Chrome"}
PY

cp "$task" "$out/1_cleanup_night.stask"
"$dkwt" -preview "$out/1_cleanup_night.stask" 2>/dev/null | cmp -s - "$out/out.txt" ||
  fail "a saved task's name is not previewed alike"
"$dkwt" -preview="$out/1_cleanup_night.stask" 2>/dev/null | cmp -s - "$out/out.txt" ||
  fail "-preview=<file> is not previewed alike"
"$dkwt" -preview "$work/missing.stask" >/dev/null 2>&1; [ $? -eq 1 ] || fail "a missing file is not exit 1"
"$dkwt" -preview >/dev/null 2>&1; [ $? -eq 2 ] || fail "no file is not exit 2"
[ $failures -eq 0 ] && echo "preview command passed"
exit $failures
