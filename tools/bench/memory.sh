#!/bin/sh
# Memory of DKWT beside KShutdown, a peer program, on one private Xvfb display:
# each starts in a sandbox HOME with its own session bus, and once its window
# is up its RSS, PSS and private memory are read from /proc/<pid>/smaps_rollup.
#
#   tools/bench/memory.sh [path/to/DKWT]      (default: build/DKWT)
#
# Needs Xvfb, xdotool, dbus-daemon, Mesa (libgl1-mesa-dri) and kshutdown;
# run as root with DKWT_BENCH_INSTALL=1 it installs the last two itself.
# Goal: DKWT's RSS at most 0.6x and its PSS at most 0.85x KShutdown's.
# PSS and private memory depend on what else runs: pages of a library that
# other programs map too (GTK for DKWT, Qt for KShutdown) are shared out.
set -eu

dkwt=$(realpath "${1:-build/DKWT}")
[ -x "$dkwt" ] || { echo "no DKWT at $dkwt (build it first)" >&2; exit 2; }

if ! command -v kshutdown >/dev/null || [ ! -e /usr/lib/x86_64-linux-gnu/dri/swrast_dri.so ]; then
  if [ "${DKWT_BENCH_INSTALL:-0}" = 1 ] && [ "$(id -u)" = 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y --no-install-recommends \
      kshutdown libgl1-mesa-dri >/dev/null
  else
    echo "needs kshutdown and libgl1-mesa-dri (or run as root with DKWT_BENCH_INSTALL=1)" >&2
    exit 2
  fi
fi

root=$(mktemp -d /tmp/dkwt-memory.XXXXXX)
pids=""
cleanup() {
  # Every process started here, then whatever they started in the sandbox
  # (bus-activated helpers, the accessibility bus).
  for pid in $pids; do kill "$pid" 2>/dev/null || true; done
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}; pid=${pid%/environ}
    if { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -qx "HOME=$root/home"; then
      kill "$pid" 2>/dev/null || true
    fi
  done
  sleep 0.5
  rm -rf "$root"
}
trap cleanup EXIT INT TERM

display=:$((200 + $$ % 500))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids="$pids $!"
sleep 1

mkdir -p "$root/home/Desktop"
export DISPLAY="$display" HOME="$root/home" XDG_CONFIG_HOME="$root/home/.config" \
  XDG_DATA_HOME="$root/home/.local/share" XDG_CACHE_HOME="$root/home/.cache" XDG_RUNTIME_DIR="$root" \
  TMP="$root" TMPDIR="$root" DKWT_DRY_RUN="$root/dry-run.log"
unset GDK_GL
bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 | tr '\n' ' ')
export DBUS_SESSION_BUS_ADDRESS="${bus%% *}"
pids="$pids ${bus#* }"

# measure <name> <window title> <command...>: prints "rss pss private" in kB.
measure() {
  name=$1 title=$2
  shift 2
  "$@" >"$root/$name.log" 2>&1 &
  pid=$!
  pids="$pids $pid"
  i=0
  until xdotool search --onlyvisible --pid "$pid" --name "$title" >/dev/null 2>&1; do
    i=$((i + 1))
    [ $i -lt 600 ] || { echo "$name: no window within 60 s" >&2; exit 1; }
    # DKWT refuses to start beside another DKWT of this account (a test run, say).
    kill -0 "$pid" 2>/dev/null || { echo "$name ended before its window showed:" >&2; cat "$root/$name.log" >&2; exit 1; }
    sleep 0.1
  done
  sleep 3  # let the start-up settle
  awk '/^Rss:/ {r=$2} /^Pss:/ {p=$2} /^Private_(Clean|Dirty):/ {u+=$2} END {print r, p, u}' \
    "/proc/$pid/smaps_rollup"
  if grep -q swrast_dri "/proc/$pid/maps"; then echo "$name loaded the OpenGL driver" >&2; fi
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}

figures=$(measure DKWT "Duskwatch v" "$dkwt") || exit 1
set -- $figures
dr=$1 dp=$2 du=$3
figures=$(measure kshutdown "KShutdown" kshutdown) || exit 1
set -- $figures
kr=$1 kp=$2 ku=$3

printf '%-10s %8s %8s %8s\n' "" "RSS kB" "PSS kB" "USS kB"
printf '%-10s %8s %8s %8s\n' DKWT "$dr" "$dp" "$du" KShutdown "$kr" "$kp" "$ku"
awk -v dr="$dr" -v dp="$dp" -v kr="$kr" -v kp="$kp" 'BEGIN {
  printf "RSS ratio %.2f (goal <= 0.60), PSS ratio %.2f (goal <= 0.85)\n", dr / kr, dp / kp
  exit !(dr <= 0.6 * kr && dp <= 0.85 * kp)
}'
