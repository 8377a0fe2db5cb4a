#!/usr/bin/env bash
# Runs every fuzz target for the given number of seconds on a seed corpus
# generated from the sample documents. Fails on any crash, leak, undefined
# behaviour, time-out or round-trip difference.
#   tests/fuzz/run_fuzzers.sh BUILD_DIR [SECONDS]
set -uo pipefail

build=${1:?usage: run_fuzzers.sh BUILD_DIR [SECONDS]}
seconds=${2:-30}
bin="$build/tests/fuzz"
work="$build/fuzz-run"
seeds="$work/seeds"

rm -rf "$seeds"
mkdir -p "$work"
if ! "$bin/fuzz_make_seeds" "$seeds" >"$work/seeds.log" 2>&1; then
  echo "fuzz: the seed generator failed:"
  tail -n 40 "$work/seeds.log"
  exit 1
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

status=0
for target in fuzz_parse fuzz_roundtrip; do
  corpus="$work/corpus-$target"
  log="$work/$target.log"
  mkdir -p "$corpus"
  rm -f "$work/$target"-crash-* "$work/$target"-leak-* "$work/$target"-timeout-* "$work/$target"-oom-*
  echo "fuzz: $target for ${seconds}s (log: $log)"
  # New inputs go to the target's own corpus folder, kept between runs;
  # findings go to $work/$target-crash-* and the like.
  "$bin/$target" -max_total_time="$seconds" -max_len=32768 -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$work/$target-" \
      "$corpus" "$seeds" >"$log" 2>&1
  rc=$?
  if [ "$rc" -ne 0 ]; then
    echo "fuzz: $target FAILED (exit $rc); the end of its log:"
    tail -n 60 "$log"
    for f in "$work/$target"-*; do
      [ -e "$f" ] && echo "fuzz: replay with: $bin/${target}_replay $f"
    done
    status=1
  else
    runs=$(grep -m1 '^stat::number_of_executed_units' "$log" | awk '{print $2}')
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1)
    echo "fuzz: $target passed: ${runs:-?} runs, ${cov:-cov: ?}, corpus $(ls "$corpus" | wc -l) files"
  fi
done
exit $status
