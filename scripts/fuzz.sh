#!/usr/bin/env bash
# Builds the libFuzzer targets (preset fuzz) and runs each for a bounded time on a copy of its
# seeds, then prints libFuzzer's own figures per target.
# Usage: scripts/fuzz.sh [seconds-per-target]   (default 30; ./test.sh fuzz [seconds] runs it)
#
# The working corpus is build/fuzz/corpus/<target>/: it starts as a copy of fuzz/corpus/<target>/
# and keeps what earlier runs found, so the repository's seeds are never touched. Exits 1 when
# a target found a crash, leak, timeout or out-of-memory; its input stays in
# build/fuzz/findings/<target>/ and the command that replays it is printed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: scripts/fuzz.sh [seconds-per-target]" >&2
  exit 2
fi
targets=(scenario_reader_fuzzer time_delta_fuzzer control_work_item_fuzzer notification_fuzzer
  token_fuzzer)
build=build/fuzz

scripts/setup-deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"

# One figure from libFuzzer's log: a final statistic (stat::NAME) or a field of its last
# status line (cov:, ft:, corp:).
final_stat() { sed -n "s/^stat::$1: *//p" "$2" | tail -1; }
field() { grep -E '^#[0-9]+' "$2" | tail -1 | sed -n "s/.* $1: \([^ ]*\).*/\1/p"; }

# Runs one target, adds its line to the summary, and names what it found.
fuzz_target() {
  local target="$1" corpus="$build/corpus/$1" findings="$build/findings/$1" log="$build/logs/$1.log"
  mkdir -p "$corpus" "$findings" "$build/logs"
  local seed
  for seed in fuzz/corpus/"$target"/*; do
    [ -e "$corpus/${seed##*/}" ] || cp "$seed" "$corpus"/
  done
  local options=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1
                 -artifact_prefix="$findings/")
  [ -f "fuzz/$target.dict" ] && options+=(-dict="fuzz/$target.dict")
  echo "==> $target (${seconds} s)"
  touch "$log.start"  # what is newer than this, this run found
  local status=0
  "$build/fuzz/$target" "${options[@]}" "$corpus" >"$log" 2>&1 || status=$?
  printf '%-26s %12s %8s %10s %6s %7s %8s\n' "$target" \
    "$(final_stat number_of_executed_units "$log")" "$(final_stat average_exec_per_sec "$log")" \
    "$(field corp "$log")" "$(field cov "$log")" "$(field ft "$log")" \
    "$(final_stat peak_rss_mb "$log")" >>"$build/logs/summary.txt"
  local found=()
  mapfile -t found < <(find "$findings" -type f \( -name 'crash-*' -o -name 'leak-*' \
                         -o -name 'timeout-*' -o -name 'oom-*' \) -newer "$log.start")
  if [ "$status" -ne 0 ] || [ ${#found[@]} -gt 0 ]; then
    echo "$target: FOUND a fault (exit $status); log: $log" >&2
    grep -m1 -E 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error' "$log" >&2 || true
    for input in "${found[@]}"; do
      echo "  replay: $build/fuzz/$target $input" >&2
    done
    return 1
  fi
}

mkdir -p "$build/logs"
printf '%-26s %12s %8s %10s %6s %7s %8s\n' target executions exec/s corpus cov features rss_mb \
  >"$build/logs/summary.txt"
failed=()
for target in "${targets[@]}"; do
  fuzz_target "$target" || failed+=("$target")
done

echo
echo "Fuzzing summary (${seconds} s per target; corpus = inputs/bytes, cov = edges):"
cat "$build/logs/summary.txt"
if [ ${#failed[@]} -gt 0 ]; then
  echo "faults found by: ${failed[*]} (inputs in $build/findings/)" >&2
  exit 1
fi
echo "no crash, leak, timeout or out-of-memory"
