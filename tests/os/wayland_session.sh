#!/usr/bin/env bash
# The monitor and the clipboard in a Wayland session: a real headless
# compositor that this test starts itself on a private session bus (never the
# machine's display), the real DKWT under the toolkit's Wayland backend.
#   wayland_session.sh mutter|sway|kwin <DKWT> <dkwt_display_probe> [<GUI test binary>=<filter>...]
# The GUI tests given run once more in this session, on the Wayland backend.
# Exit 77 (skipped) only when the compositor is not installed.
set -u
kind=$1
case $kind in
  mutter) compositor=mutter ;;
  sway) compositor=sway ;;
  kwin) compositor=kwin_wayland ;;
  *) echo "unknown compositor $kind"; exit 2 ;;
esac

if [ "${2:-}" != --inside ]; then
  dkwt=$2 probe=$3
  shift 3
  for tool in "$compositor" dbus-run-session wl-copy wl-paste setpriv; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped"; exit 77; }
  done
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  chmod 755 "$work"
  mkdir -p "$work/bin" "$work/run" "$work/home/Desktop" "$work/tmp"
  cp "$dkwt" "$work/bin/DKWT"
  cp "$probe" "$work/bin/probe"
  cp "$0" "$work/bin/session.sh"
  chmod 755 "$work/bin"/*
  chmod 700 "$work/run"
  as=()
  if [ "$kind" = sway ]; then
    # sway refuses to run as root: the session belongs to "nobody".
    chown -R 65534:65534 "$work/run" "$work/home" "$work/tmp"
    as=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  elif [ "$kind" = kwin ]; then
    # The installed binary carries a file capability that containers may not
    # grant (exec fails); a copy, still named kwin_wayland, carries none.
    mkdir -p "$work/kwin" && cp "$(command -v kwin_wayland)" "$work/kwin/kwin_wayland"
  fi
  # Nothing of the caller's session leaks in: no DISPLAY, no bus, no socket
  # (only the sanitizers' settings of the build under test).
  exec env -i PATH="$work/kwin:/usr/local/bin:/usr/bin:/bin" HOME="$work/home" XDG_RUNTIME_DIR="$work/run" \
    XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache" TMP="$work/tmp" LANG=C.UTF-8 \
    DKWT_TEST_BINARY_DIR="${DKWT_TEST_BINARY_DIR:-}" DKWT_SOURCE_DIR="${DKWT_SOURCE_DIR:-}" \
    ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" TSAN_OPTIONS="${TSAN_OPTIONS:-}" \
    "${as[@]}" dbus-run-session -- bash "$work/bin/session.sh" "$kind" --inside "$work/bin" "$@" 2>&1
fi

bin=$3
shift 3
failures=0
fail() { echo "FAIL ($kind): $*"; failures=$((failures + 1)); }
socket=wl-dkwt
export WAYLAND_DISPLAY=$socket

case $kind in
  mutter) mutter --headless --wayland --no-x11 --virtual-monitor 1024x768 --wayland-display $socket \
            >"$TMP/compositor.log" 2>&1 & ;;
  sway) : >"$TMP/sway.conf"
        WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WAYLAND_DISPLAY= \
          sway -d -c "$TMP/sway.conf" >"$TMP/compositor.log" 2>&1 & ;;
  kwin) QT_QPA_PLATFORM=offscreen WAYLAND_DISPLAY= kwin_wayland --virtual --no-lockscreen --socket $socket \
          --width 1024 --height 768 >"$TMP/compositor.log" 2>&1 & ;;
esac
compositor_pid=$!
trap 'kill $compositor_pid 2>/dev/null; wait $compositor_pid 2>/dev/null' EXIT
for _ in $(seq 100); do
  if [ "$kind" = sway ]; then  # sway names its own socket
    found=$(cd "$XDG_RUNTIME_DIR" && ls wayland-* 2>/dev/null | grep -v lock | head -1)
    [ -n "$found" ] && export WAYLAND_DISPLAY=$found
  fi
  [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break
  sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || { echo "the compositor did not start:"; cat "$TMP/compositor.log"; exit 1; }
sleep 1  # outputs are announced once the backend is up

# The power mode as the compositor itself reports it: Mutter's property, or
# the protocol's own mode event to a fresh client (sway's IPC keeps saying
# "dpms": true).
readback() {
  if [ "$kind" = mutter ]; then
    case $(gdbus call --session -d org.gnome.Mutter.DisplayConfig -o /org/gnome/Mutter/DisplayConfig \
             -m org.freedesktop.DBus.Properties.Get org.gnome.Mutter.DisplayConfig PowerSaveMode) in
      "(<0>,)") echo on ;;
      "(<3>,)") echo off ;;
      *) echo other ;;
    esac
  else
    "$bin/probe" state
  fi
}
wait_for() {  # wait_for <state> <tenths>
  for _ in $(seq "$2"); do
    [ "$(readback)" = "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# Whether the virtual output can be switched at all, in the compositor's own
# words: KWin's virtual outputs say "supported(0)"; sway's headless outputs
# take the request and then fail to commit it (its debug log says so). Then
# the switch must fail with its code, never report success.
can_switch=yes
if [ "$kind" = kwin ]; then
  WAYLAND_DEBUG=client "$bin/probe" state 2>&1 | grep -q 'org_kde_kwin_dpms@[0-9]*\.supported(1)' || can_switch=no
fi
sway_refused() { grep -A3 'Turning off output' "$TMP/compositor.log" | grep -q 'Failed to commit output'; }
logged() { cat "$HOME/Desktop"/DKWT_Error_* 2>/dev/null; }

# The power state and the monitors are answered.
monitors=$("$bin/probe" list)
[ -n "$monitors" ] || fail "no monitor listed"
if [ $can_switch = yes ]; then
  [ "$("$bin/probe" supported)" = "ok code=0" ] || fail "monitor not supported: $("$bin/probe" supported)"
  [ "$("$bin/probe" state)" = on ] || fail "state at start: $("$bin/probe" state)"
  ! grep -qv '|on$' <<<"$monitors" || fail "monitors: $monitors"
else
  [ "$("$bin/probe" supported)" = "failed code=0" ] || fail "unswitchable output supported: $("$bin/probe" supported)"
  [ "$("$bin/probe" state)" = unknown ] || fail "state of an unswitchable output: $("$bin/probe" state)"
fi

# The command line turns the output off; turning it on again answers too.
"$bin/DKWT" -monitor quiet
status=$?
[ "$kind" = sway ] && sway_refused && can_switch=no
if [ $can_switch = yes ]; then
  [ $status -eq 0 ] || fail "-monitor quiet exit status $status"
  [ "$(readback)" = off ] || fail "output after -monitor quiet: $(readback)"
  [ "$("$bin/probe" state)" = off ] || fail "state query after -monitor quiet: $("$bin/probe" state)"
  [ "$("$bin/probe" on)" = "ok code=0" ] || fail "monitor on refused"
  [ "$(readback)" = on ] || fail "output after monitor on: $(readback)"
else
  echo "$kind cannot switch its virtual output: checking that the failure is reported"
  [ $status -eq 1 ] || fail "-monitor quiet on an unswitchable output: exit status $status"
  case $kind in sway) code=110 ;; *) code=95 ;; esac  # no new mode reported / not supported
  [ "$("$bin/probe" off)" = "failed code=$code" ] || fail "unswitchable output: $("$bin/probe" off)"
fi

# A monitor task with its wake-up, run by the real program on this
# compositor's Wayland backend: off, then on again after its five seconds.
mkdir -p "$XDG_DATA_HOME/DKWT-Tasks"
task=$XDG_DATA_HOME/DKWT-Tasks/monitorOff_wake.stask
printf '[MONITOR]\nSecondes=5\n' >"$task"
GDK_BACKEND=wayland WAYLAND_DEBUG=client "$bin/DKWT" -task "$task" 2>"$TMP/gui.log" & pid=$!
if [ $can_switch = yes ]; then
  wait_for off 150 || fail "the monitor task did not turn the output off"
  wait_for on 150 || fail "the wake-up did not turn the output on"
fi
for _ in $(seq 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && { fail "the monitor task did not end"; kill $pid; }
wait $pid 2>/dev/null
grep -q 'set_title("Duskwatch v. 2.1")' "$TMP/gui.log" || fail "the main window was no Wayland window"
if [ $can_switch = yes ] || [ "$kind" = kwin ]; then
  # (A task-file run drops a monitor task silently where no monitor can be switched.)
  [ -z "$(logged)" ] || fail "monitor task logged: $(logged)"
else
  logged | grep -q "Can't Power the Monitor Off.*$code" || fail "the failed monitor task is not logged: $(logged)"
fi

# The clipboard item of a clean-up task empties what wl-copy holds; where the
# compositor offers no way (Mutter without XWayland) the error log says so.
rm -f "$HOME/Desktop"/DKWT_Error_*
if [ "$kind" != mutter ]; then
  echo secret | wl-copy >/dev/null 2>&1
  echo chosen | wl-copy --primary >/dev/null 2>&1
  [ "$(timeout 5 wl-paste 2>/dev/null)" = secret ] || fail "wl-copy did not take the clipboard"
fi
task=$XDG_DATA_HOME/DKWT-Tasks/cleanup.stask
printf '[CLEANUP]\nHistory=Clipboard\n' >"$task"
DKWT_DRY_RUN="$TMP/actions" GDK_BACKEND=wayland "$bin/DKWT" -task "$task" & pid=$!
for _ in $(seq 300); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -0 $pid 2>/dev/null && { fail "the clean-up task did not end"; kill $pid; }
wait $pid 2>/dev/null
if [ "$kind" = mutter ]; then
  logged | grep -q "Can't empty the Clipboard.*95" || fail "no error-log entry with its code: $(logged)"
else
  # (KWin announces no empty selection, so wl-paste would wait for one.)
  timeout 5 wl-paste 2>/dev/null | grep -q secret && fail "clipboard kept"
  timeout 5 wl-paste --primary 2>/dev/null | grep -q chosen && fail "primary selection kept"
  [ -z "$(logged)" ] || fail "clean-up logged: $(logged)"
fi

# The idle time comes from the compositor's own source (GNOME's idle monitor,
# else ext_idle_notify_v1, else KDE's idle protocol of older wlroots) and
# grows while nothing touches the session.
case $kind in
  mutter) sources=org.gnome.Mutter.IdleMonitor ;;
  sway) sources="ext_idle_notify_v1 org_kde_kwin_idle" ;;
  kwin) sources=ext_idle_notify_v1 ;;
esac
read -r idle_source idle_ms <<<"$("$bin/probe" idle)"
grep -qw -- "$idle_source" <<<"$sources" || fail "idle source: $idle_source $idle_ms (expected $sources)"
[ "${idle_ms:--1}" -ge 1000 ] 2>/dev/null || fail "idle time after 2.5 s without input: ${idle_ms:-none} ms"

# The main window, the extras window and the saved-tasks
# dialog, driven by their GUI tests on the toolkit's Wayland backend.
for spec in "$@"; do
  GDK_BACKEND=wayland "${spec%%=*}" --gtest_filter="${spec#*=}" >"$TMP/gui-tests.log" 2>&1 ||
    { fail "GUI tests ${spec##*/} on Wayland:"; grep -E '^\[  FAILED|Failure|error' "$TMP/gui-tests.log" | head -20; }
  grep -E '^\[  PASSED' "$TMP/gui-tests.log"
done

[ $failures -eq 0 ] && echo "$kind session passed"
exit $failures
