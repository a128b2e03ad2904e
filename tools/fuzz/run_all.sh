#!/usr/bin/env bash
# Builds the fuzz targets with clang (ASan + UBSan + libFuzzer) and runs each
# for a while, as many at once as there are cores. Fails on any crash, leak,
# timeout or out-of-memory; the input that did it is kept in <build>/fuzz-artifacts.
#   tools/fuzz/run_all.sh [seconds per target, 20] [build folder, build-fuzz]
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
cd "$top"
seconds=${1:-20}
dir=${2:-build-fuzz}

# -O1 with line tables: quick to build, and the reports still name the lines.
CC=clang CXX=clang++ cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=None "-DCMAKE_CXX_FLAGS=-O1 -gline-tables-only" \
    -DDKWT_WERROR=ON -DDKWT_FUZZ=ON -DDKWT_TESTS=OFF >/dev/null
cmake --build "$dir" -j"$(nproc)" --target dkwt_fuzz_all

rm -rf "$dir/fuzz-corpus" "$dir/fuzz-artifacts" "$dir/fuzz-logs"
mkdir -p "$dir/fuzz-artifacts" "$dir/fuzz-logs"

run_one() {  # run_one <target name>
  local name=$1 work="$dir/fuzz-corpus/$1" seeds=()
  mkdir -p "$work"
  [ -d "tools/fuzz/corpus/$name" ] && seeds=("tools/fuzz/corpus/$name")
  # New inputs go to the first folder only: the committed seeds stay as they are.
  if DKWT_FUZZ_SEEDS="$work" UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
      "$dir/tools/fuzz/dkwt_fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=16384 -print_final_stats=1 -artifact_prefix="$dir/fuzz-artifacts/$name-" \
      "$work" "${seeds[@]}" >"$dir/fuzz-logs/$name.log" 2>&1; then
    echo "fuzz $name: $(grep -m1 -o 'stat::number_of_executed_units: *[0-9]*' "$dir/fuzz-logs/$name.log" | grep -o '[0-9]*$') runs, no fault"
  else
    echo "fuzz $name: FAULT (log: $dir/fuzz-logs/$name.log)"
    tail -n 40 "$dir/fuzz-logs/$name.log"
    return 1
  fi
}

names=$(sed -n 's/^ *\([a-z_]*\):dkwt_[a-z]*$/\1/p' tools/fuzz/CMakeLists.txt)
failed=0 passed=0 running=0
for name in $names; do
  run_one "$name" > "$dir/fuzz-logs/$name.result" 2>&1 &
  running=$((running + 1))
  if [ "$running" -ge "$(nproc)" ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait || true
for name in $names; do
  cat "$dir/fuzz-logs/$name.result"
  if grep -q "no fault" "$dir/fuzz-logs/$name.result"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
