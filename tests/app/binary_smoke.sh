#!/usr/bin/env bash
# Runs the real DKWT binary the way a user does, inside a throw-away home,
# with every system action recorded instead of done. Needs an X display (the
# test command provides Xvfb) and xdotool to answer the real dialogs.
set -u
dkwt=$1
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config \
       XDG_CACHE_HOME=$work/home/.cache TMP=$work/tmp DKWT_DRY_RUN=$work/actions
mkdir -p "$HOME/Desktop" "$TMP"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A private copy named DKWT, so that instance checks only ever see our own copies.
mkdir -p "$work/bin"
cp "$dkwt" "$work/bin/DKWT"
dkwt=$work/bin/DKWT

# Waits for a visible window of process $1 and answers it with key $2.
# (GTK leaves the title of a "Message" box empty, so windows are found by
# their process.)
answer() {
  local id
  for _ in $(seq 1 100); do
    id=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | tail -1)
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || { echo "no window of process $1"; return 1; }
  sleep 0.2
  xdotool windowfocus --sync "$id" key "$2"
}

# Unknown option: the parser's error and the usage text, nothing done.
err=$("$dkwt" -help 2>&1 >/dev/null); rc=$?
[ $rc -ne 0 ] || fail "-help exits 0"
grep -q "Unknown option 'help'" <<<"$err" || fail "-help: no unknown-option report"
grep -q "execute a saved task file." <<<"$err" || fail "-help: no usage text"

# Every quiet command acts at once and ends without a window.
: >"$DKWT_DRY_RUN"
for cmd in shutdown restart standby hibernate logout lock; do
  "$dkwt" -$cmd quiet || fail "-$cmd quiet exit status $?"
done
expected=$'poweroff force=1\nreboot force=1\nsuspend hibernate=0 force=1\nsuspend hibernate=1 force=1\nlogoff force=1\nlock'
[ "$(cat "$DKWT_DRY_RUN")" = "$expected" ] || fail "quiet commands recorded: $(cat "$DKWT_DRY_RUN")"

# The first command wins; -monitor waits, then turns the display off.
: >"$DKWT_DRY_RUN"
"$dkwt" -monitor=quiet -restart:quiet || fail "restart wins"
[ "$(cat "$DKWT_DRY_RUN")" = "reboot force=1" ] || fail "first command: $(cat "$DKWT_DRY_RUN")"
: >"$DKWT_DRY_RUN"
"$dkwt" -monitor quiet || fail "-monitor quiet"
[ "$(cat "$DKWT_DRY_RUN")" = "monitor state=off" ] || fail "monitor: $(cat "$DKWT_DRY_RUN")"

# "confirm" asks in a real dialog: Yes acts, No ends silently.
: >"$DKWT_DRY_RUN"
"$dkwt" -shutdown confirm & pid=$!
answer $pid Return || fail "no confirmation dialog"
wait $pid || fail "confirmed shutdown exit status"
[ "$(cat "$DKWT_DRY_RUN")" = "poweroff force=1" ] || fail "confirmed: $(cat "$DKWT_DRY_RUN")"
: >"$DKWT_DRY_RUN"
"$dkwt" -lock confirm & pid=$!
answer $pid Escape || fail "no lock question"
wait $pid || fail "declined lock exit status"
[ -s "$DKWT_DRY_RUN" ] && fail "declined lock acted: $(cat "$DKWT_DRY_RUN")"

# A wrong value is explained, then the process ends with a failure status.
"$dkwt" -standby Quiet & pid=$!
answer $pid Return || fail "no invalid-value message"
wait $pid && fail "invalid value exits 0"

# A task file starts minimised holding its task, acts, and ends by itself.
mkdir -p "$XDG_DATA_HOME/DKWT-Tasks"
task=$XDG_DATA_HOME/DKWT-Tasks/shutdown.stask
printf '[REMINDER]\nSecondes=\n[FORCE]\nforced=1\n' >"$task"
: >"$DKWT_DRY_RUN"
"$dkwt" -task "$task" & pid=$!
found=""
for _ in $(seq 1 100); do
  found=$(xdotool search --name '^Duskwatch v\. 2\.1$' 2>/dev/null | head -1)
  [ -n "$found" ] && break
  sleep 0.1
done
[ -n "$found" ] || fail "task-file run shows no main window"
for _ in $(seq 1 100); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
if kill -0 $pid 2>/dev/null; then
  fail "task-file run still running after 10 s"
  kill $pid 2>/dev/null
fi
wait $pid 2>/dev/null
grep -qx "poweroff force=1" "$DKWT_DRY_RUN" || fail "task-file run recorded: $(cat "$DKWT_DRY_RUN")"

# An interactive start beside a running copy is refused with its process id.
"$dkwt" & first=$!
for _ in $(seq 1 100); do
  xdotool search --name '^Duskwatch v\. 2\.1$' >/dev/null 2>&1 && break
  sleep 0.1
done
"$dkwt" & second=$!
answer $second Return || fail "no other-instance message"
wait $second && fail "second copy exits 0"
kill $first 2>/dev/null; wait $first 2>/dev/null

# A missing task file is reported.
"$dkwt" -task "$work/none.stask" & pid=$!
answer $pid Return || fail "no not-found message"
wait $pid

[ $failures -eq 0 ] && echo "all binary checks passed"
exit $failures
