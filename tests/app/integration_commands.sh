#!/bin/sh
# usage: integration_commands.sh <DKWT> <installer>
# Installs the right-click commands for DKWT in a folder with blanks, runs
# every Nautilus script and every desktop action under the dry-run switch and
# checks that each one recorded its action.
set -eu
program=$1
installer=$2

root=$(mktemp -d "${TMPDIR:-/tmp}/dkwt-commands-XXXXXX")
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/tmp" "$root/My Programs"
ln -s "$program" "$root/My Programs/DKWT"

export HOME="$root/home"
export XDG_DATA_HOME="$HOME/.local/share" XDG_CONFIG_HOME="$HOME/.config" XDG_CACHE_HOME="$HOME/.cache"
export TMP="$root/tmp" TMPDIR="$root/tmp"
export DKWT_DRY_RUN="$root/dry-run"
# Nothing may reach a real bus, and GLib must not start a session bus.
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$root/no-bus" DBUS_SESSION_BUS_ADDRESS="unix:path=$root/no-bus"

"$installer" "$root/My Programs/DKWT" >/dev/null

# One line per command, in the order of the menu: label, action id, recorded verb.
commands='Shutdown|Shutdown|poweroff
Restart|Restart|reboot
Standby|Standby|suspend hibernate=0
Hibernate|Hibernate|suspend hibernate=1
Logout|Logout|logoff
Lock PC|Lock-PC|lock
Turn Monitor off|Turn-Monitor-off|monitor state=off'

fail=0
# Waits until the record has $1 lines (launched programs run detached).
wait_lines() {
  i=0
  while [ "$(cat "$DKWT_DRY_RUN" 2>/dev/null | wc -l)" -lt "$1" ] && [ $i -lt 200 ]; do
    sleep 0.05
    i=$((i + 1))
  done
}
check() {  # $1 how it was started, $2 label, $3 line number, $4 expected verb
  line=$(sed -n "${3}p" "$DKWT_DRY_RUN" 2>/dev/null)
  case "$line" in
    "$4"|"$4 "*) ;;
    *) echo "FAIL: $1 '$2' recorded '$line', expected '$4 ...'"; fail=1 ;;
  esac
}

echo "$commands" | while IFS='|' read -r label id verb; do
  script="$XDG_DATA_HOME/nautilus/scripts/Duskwatch/$label"
  [ -x "$script" ] || { echo "FAIL: no script '$label'"; exit 1; }
  "$script" || true
done
echo "$commands" | {
  n=0
  while IFS='|' read -r label id verb; do
    n=$((n + 1))
    check "script" "$label" "$n" "$verb"
  done
  [ $fail -eq 0 ] || exit 1
}

rm -f "$DKWT_DRY_RUN"
launch='import sys, gi
gi.require_version("Gio", "2.0")
from gi.repository import Gio
app = Gio.DesktopAppInfo.new_from_filename(sys.argv[1])
assert app is not None, "desktop entry not loadable"
app.launch_action(sys.argv[2], None)'
echo "$commands" | {
  n=0
  while IFS='|' read -r label id verb; do
    n=$((n + 1))
    /usr/bin/python3 -c "$launch" "$XDG_DATA_HOME/applications/org.duskwatch.Duskwatch.desktop" "$id"
    wait_lines "$n"
    check "desktop action" "$label" "$n" "$verb"
  done
  [ $fail -eq 0 ] || exit 1
}
echo "all seven commands recorded their actions"
