#!/usr/bin/env bash
# The real DKWT runs a task file with a [TRIGGER] section: it waits for its
# program to end, counts down, acts (recorded by the dry run) and ends by
# itself. A file naming no running program ends without acting. Needs the
# test command's X display.
set -u
dkwt=$1
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null; rm -rf "$work"' EXIT
export HOME=$work/home XDG_DATA_HOME=$work/home/.local/share XDG_CONFIG_HOME=$work/home/.config \
       XDG_CACHE_HOME=$work/home/.cache TMP=$work/tmp TMPDIR=$work/tmp DKWT_DRY_RUN=$work/actions
mkdir -p "$HOME/Desktop" "$TMP" "$XDG_DATA_HOME/DKWT-Tasks" "$work/bin"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
cp "$dkwt" "$work/bin/DKWT"
# Our own copy of sleep, so that no one else's process has its name.
waiter=dkwtrun$$
cp /bin/sleep "$work/bin/$waiter"

task=$XDG_DATA_HOME/DKWT-Tasks/shutdown_after.stask
printf '[TRIGGER]\nType=ProgramEnds\nProgram=%s\n' "$waiter" >"$task"
"$work/bin/$waiter" 4 & waiter_pid=$!
began=$(date +%s)
timeout 60 "$work/bin/DKWT" -task "$task"
status=$?
took=$(($(date +%s) - began))
wait $waiter_pid
[ $status -eq 0 ] || fail "the run's exit status: $status"
[ "$(cat "$DKWT_DRY_RUN" 2>/dev/null)" = "poweroff force=0" ] || fail "recorded: $(cat "$DKWT_DRY_RUN" 2>/dev/null)"
[ $took -ge 5 ] || fail "acted after $took s, before its program ended (4 s) and its countdown"
[ -z "$(ls "$HOME/Desktop")" ] || fail "logged: $(cat "$HOME/Desktop"/*)"

: >"$DKWT_DRY_RUN"
timeout 60 "$work/bin/DKWT" -task "$task"
status=$?
[ $status -ne 124 ] || fail "the run without its program did not end"
[ -z "$(cat "$DKWT_DRY_RUN")" ] || fail "acted without its program: $(cat "$DKWT_DRY_RUN")"
grep -q "No program named $waiter is running" "$HOME/Desktop"/DKWT_Error_* 2>/dev/null ||
  fail "no error-log entry for the missing program"

[ $failures -eq 0 ] && echo "trigger runs passed"
exit $failures
