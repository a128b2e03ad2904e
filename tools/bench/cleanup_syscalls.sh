#!/usr/bin/env bash
# System calls per deleted file of a clean-up (log off and on), counted with
# strace -f: all calls of a run with N files minus a run with none, and
# the file-system part alone (the worker's calls plus the collection walk),
# without the event loop's calls, which grow with the time a traced run takes.
#   tools/bench/cleanup_syscalls.sh <folder of dkwt_cleanup_bench> [files=50000]
# Run under a display (xvfb-run -a); a private session bus keeps strace from
# waiting for a bus daemon that the toolkit would start.
set -euo pipefail
bin=$1
files=${2:-50000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree() {  # tree <root> <item> <files>
  rm -rf "$1"
  mkdir -p "$1/home/Desktop" "$1/tmp"
  local folder=$1/home/.adobe/Flash_Player/AssetCache/cache
  [ "$2" = temp ] && folder=$1/tmp/cache
  mkdir -p "$folder"
  "$bin/make_cache_tree" "$folder" "$3"
  sync
}
trace() {  # trace <out> <item> <root> [--log]
  dbus-run-session -- strace -f -qq -o "$1" "$bin/dkwt_cleanup_bench" --once "$2" "$3" ${4:-} >/dev/null 2>&1
}
# File-system calls: every call of the thread that unlinks, plus the walk's
# calls (getdents64, openat, fstat/newfstatat, close, fcntl, lseek) elsewhere.
fscalls() {
  awk '{ tid = $1; call = $2; sub(/\(.*/, "", call); n[tid]++;
         if (call == "unlinkat") worker[tid] = 1;
         if (call ~ /^(getdents64|openat|openat2|newfstatat|fstat|close|fcntl|lseek)$/) walk[tid]++ }
       END { for (t in n) total += (t in worker) ? n[t] : walk[t]; print total + 0 }' "$1"
}
for item in cache temp; do
  for log in "" --log; do
    tree "$work/root" "$item" 0
    trace "$work/base" "$item" "$work/root" $log
    tree "$work/root" "$item" "$files"
    trace "$work/full" "$item" "$work/root" $log
    awk -v b="$(wc -l <"$work/base")" -v f="$(wc -l <"$work/full")" -v fb="$(fscalls "$work/base")" \
        -v ff="$(fscalls "$work/full")" -v n="$files" -v i="$item" -v l="${log:-no log}" \
      'BEGIN {printf "%-5s %-6s: %.2f file-system calls per deleted file (%.2f with the event loop)\n", i, l,
              (ff - fb) / n, (f - b) / n}'
  done
done
mkdir -p "$work/rm"
"$bin/make_cache_tree" "$work/rm/tree" "$files"
sync
strace -f -qq -o "$work/rmtrace" rm -rf "$work/rm/tree"
awk -v c="$(wc -l <"$work/rmtrace")" -v n="$files" 'BEGIN {printf "rm -rf      : %.2f system calls per deleted file\n", c / n}'
