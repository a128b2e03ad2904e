#!/usr/bin/env bash
# System calls per deleted file of a clean-up (log off and on), counted with
# strace -c -f over a run with N files minus a run with none, next to rm -rf.
#   tools/bench/cleanup_syscalls.sh <folder of dkwt_cleanup_bench> [files=50000]
# Run under a display (xvfb-run -a).
set -euo pipefail
bin=$1
files=${2:-50000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
calls() { awk '/^100.00/ {print $4}' "$1"; }
tree() {  # tree <root> <item> <files>
  rm -rf "$1"
  mkdir -p "$1/home/Desktop" "$1/tmp"
  local folder=$1/home/.adobe/Flash_Player/AssetCache/cache
  [ "$2" = temp ] && folder=$1/tmp/cache
  mkdir -p "$folder"
  "$bin/make_cache_tree" "$folder" "$3"
  sync
}
for item in cache temp; do
  for log in "" --log; do
    tree "$work/root" "$item" 0
    strace -c -f -o "$work/base" "$bin/dkwt_cleanup_bench" --once "$item" "$work/root" $log >/dev/null 2>&1
    tree "$work/root" "$item" "$files"
    strace -c -f -o "$work/full" "$bin/dkwt_cleanup_bench" --once "$item" "$work/root" $log >/dev/null 2>&1
    awk -v b="$(calls "$work/base")" -v f="$(calls "$work/full")" -v n="$files" -v i="$item" -v l="${log:-no log}" \
      'BEGIN {printf "%-5s %-6s: %.2f system calls per deleted file\n", i, l, (f - b) / n}'
  done
done
mkdir -p "$work/rm"
"$bin/make_cache_tree" "$work/rm/tree" "$files"
sync
strace -c -f -o "$work/rmcount" rm -rf "$work/rm/tree"
awk -v c="$(calls "$work/rmcount")" -v n="$files" 'BEGIN {printf "rm -rf      : %.2f system calls per deleted file\n", c / n}'
