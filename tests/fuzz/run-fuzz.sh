#!/usr/bin/env bash
# Runs each fuzz target for a while and fails on the first finding.
#
#   tests/fuzz/run-fuzz.sh <fuzz build dir> [seconds per target, default 60]
#
# The targets are those with a checked-in corpus (tests/fuzz/corpus/<target>),
# so that a new target is fuzzed as soon as it has one. Each starts from that
# corpus and keeps what it finds new in <build dir>/fuzz-corpus/<target>, so
# that later runs go on from there. A crash, a leak, undefined behaviour, a
# timeout (10 s for one input) or memory beyond 2 GiB stops the target and
# leaves the input under <build dir>/fuzz-findings/<target>/.
set -euo pipefail

if [[ $# -lt 1 ]]; then
  echo "usage: $0 <fuzz build dir> [seconds per target]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
seconds=${2:-60}
repo=$(cd "$(dirname "$0")/../.." && pwd)

for seeds in "$repo"/tests/fuzz/corpus/*/; do
  target=$(basename "$seeds")
  fuzzer=$build/tests/fuzz/fuzz_$target
  if [[ ! -x $fuzzer ]]; then
    echo "missing $fuzzer: configure and build the fuzz preset first" >&2
    exit 1
  fi
  corpus=$build/fuzz-corpus/$target
  findings=$build/fuzz-findings/$target
  mkdir -p "$corpus" "$findings"
  echo "fuzzing $target for $seconds s"
  log=$build/fuzz-$target.log
  if ! "$fuzzer" -max_total_time="$seconds" -dict="$repo/tests/fuzz/mask.dict" -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$findings/" -print_final_stats=1 \
      "$corpus" "$repo/tests/fuzz/corpus/$target" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "$target: finding kept in $findings" >&2
    exit 1
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)|DONE' "$log" |
    sed "s/^/  /"
done
