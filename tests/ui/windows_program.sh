#!/usr/bin/env bash
# Runs the real DKWT.exe under Wine the way a user does, with every system
# action recorded by the dry-run switch instead of done: the quiet immediate
# commands, then the main window (its screenshot is kept as $2).
# Needs an X display (the test command provides Xvfb) and xdotool.
set -u
exe=$1
screenshot=$2
wine_run=${DKWT_WINE_RUN:?}
work=$(mktemp -d)
started=()
trap 'for p in "${started[@]}"; do kill "$p" 2>/dev/null; done; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The program sees the record file by its Windows name.
actions=$work/actions
: >"$actions"
export DKWT_DRY_RUN
DKWT_DRY_RUN=$("$wine_run" winepath -w "$actions" 2>/dev/null | tr -d '\r')
[ -n "$DKWT_DRY_RUN" ] || { echo "winepath gave no Windows path"; exit 1; }

# Every quiet command acts at once and ends without a window.
for cmd in shutdown restart standby hibernate logout lock; do
  "$wine_run" "$exe" -$cmd quiet || fail "-$cmd quiet exit status $?"
done
expected=$'poweroff force=1\nreboot force=1\nsuspend hibernate=0 force=1\nsuspend hibernate=1 force=1\nlogoff force=1\nlock'
[ "$(tr -d '\r' <"$actions")" = "$expected" ] || fail "quiet commands recorded: $(cat "$actions")"

# The first command wins.
: >"$actions"
"$wine_run" "$exe" -monitor=quiet -restart:quiet || fail "restart wins"
[ "$(tr -d '\r' <"$actions")" = "reboot force=1" ] || fail "first command: $(cat "$actions")"

# The main window: shown idle, nothing done.
: >"$actions"
"$wine_run" "$exe" & pid=$!
started+=("$pid")
found=""
for _ in $(seq 1 300); do
  found=$(xdotool search --onlyvisible --name '^Duskwatch v\. 2\.1$' 2>/dev/null | head -1)
  [ -n "$found" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ -n "$found" ]; then
  sleep 2  # the splash screen goes and the first paint ends
  mkdir -p "$(dirname "$screenshot")"
  import -window root "$screenshot" || fail "no screenshot"
  echo "main window screenshot: $screenshot"
else
  fail "no main window within 30 s"
fi
kill -0 "$pid" 2>/dev/null || fail "the program ended by itself"
kill "$pid" 2>/dev/null
wait "$pid" 2>/dev/null
[ -s "$actions" ] && fail "the idle window acted: $(cat "$actions")"

[ $failures -eq 0 ] && echo "all Windows program checks passed"
exit $failures
