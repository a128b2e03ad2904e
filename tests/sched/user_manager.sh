#!/bin/sh
# Runs the end-to-end scheduler test under a private systemd user manager:
# a private mount namespace with a tmpfs on /run/systemd holding an empty
# system/ folder, a fresh cgroup, private HOME and XDG_RUNTIME_DIR.
# Usage: user_manager.sh <dkwt_sched_tests> <DKWT>. Exit 77: skipped.
tests="$1"
program="$2"
skip() { echo "skipped: $*"; exit 77; }

if [ "$INSIDE_PRIVATE_MOUNTS" != 1 ]; then
  [ "$(id -u)" = 0 ] || skip "needs root"
  [ -x /lib/systemd/systemd ] || skip "no systemd"
  command -v unshare >/dev/null || skip "no unshare"
  unshare -m --propagation private true 2>/dev/null || skip "mount namespaces are not allowed"
  INSIDE_PRIVATE_MOUNTS=1 exec unshare -m --propagation private sh "$0" "$@"
fi

root=$(mktemp -d /tmp/dkwt-user-manager-XXXXXX) || exit 1
mkdir -p "$root/home" "$root/runtime"
chmod 700 "$root/runtime"
[ -d /run/systemd ] || skip "no /run/systemd to cover"
mount -t tmpfs tmpfs /run/systemd || skip "cannot mount a tmpfs"
mkdir /run/systemd/system

# A cgroup of our own in every hierarchy the manager looks at.
groups=""
for hierarchy in /sys/fs/cgroup/systemd /sys/fs/cgroup/unified /sys/fs/cgroup; do
  if [ -f "$hierarchy/cgroup.procs" ] && mkdir "$hierarchy/dkwt-e2e-$$" 2>/dev/null; then
    echo $$ > "$hierarchy/dkwt-e2e-$$/cgroup.procs" && groups="$groups $hierarchy"
  fi
done
[ -n "$groups" ] || skip "cannot create a cgroup"

cleanup() {
  [ -n "$manager" ] && kill "$manager" 2>/dev/null && wait "$manager" 2>/dev/null
  for hierarchy in $groups; do
    echo $$ > "$hierarchy/cgroup.procs" 2>/dev/null
    # The manager made cgroups of its own below ours: the deepest go first.
    find "$hierarchy/dkwt-e2e-$$" -depth -type d -exec rmdir {} \; 2>/dev/null
  done
  rm -rf "$root"
}
trap cleanup EXIT

export HOME="$root/home" XDG_RUNTIME_DIR="$root/runtime" XDG_CONFIG_HOME="$root/home/.config"
export XDG_DATA_HOME="$root/home/.local/share" XDG_CACHE_HOME="$root/home/.cache"
unset DBUS_SESSION_BUS_ADDRESS DKWT_DRY_RUN
/lib/systemd/systemd --user > "$root/manager.log" 2>&1 &
manager=$!
i=0
until systemctl --user show -p Version --value >/dev/null 2>&1; do
  i=$((i + 1))
  [ $i -lt 100 ] || { cat "$root/manager.log"; skip "the user manager did not start"; }
  sleep 0.1
done
# USER_MANAGER_SESSION runs a command of one's own there instead (trying
# the program by hand; see the README).
if [ -n "$USER_MANAGER_SESSION" ]; then
  sh -c "$USER_MANAGER_SESSION"
  exit $?
fi
DKWT_USER_MANAGER_TEST="$program" "$tests" --gtest_filter='UserManager.*'
