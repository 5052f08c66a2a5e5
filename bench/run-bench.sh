#!/usr/bin/env bash
# Times the tool on generated mask files.
#
#   bench/run-bench.sh <build dir> [lines per file ...]     (default: 1000000)
#
# For each size it generates ref/new/custo masks of about that many lines
# under <build dir>/bench-data/<lines>, then measures two runs:
#   read+write  one mask read three times and written back sorted (-reorder):
#               the cost of the reader and the writer alone, with no real
#               merge (every node is kept);
#   merge       the three-way merge of the three masks into an output file.
# It builds nothing: configure the build with MERGER_BUILD_BENCH=ON (the
# default) and build it first, e.g. `make build`.
set -euo pipefail

if [[ $# -lt 1 ]]; then
  echo "usage: $0 <build dir> [lines per file ...]" >&2
  exit 2
fi
build=$(cd "$1" && pwd)
shift
sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(1000000)
for lines in "${sizes[@]}"; do
  if [[ ! $lines =~ ^[1-9][0-9]*$ ]]; then
    echo "not a line count: $lines" >&2
    exit 2
  fi
done

tool="$build/QELPeopleMaskMerger"
gen="$build/bench/gen_masks"
for exe in "$tool" "$gen"; do
  if [[ ! -x $exe ]]; then
    echo "missing $exe: build $build with MERGER_BUILD_BENCH=ON first" >&2
    exit 1
  fi
done

# Traces multiply the output many times over: time the plain run only.
unset VEX_TRACE

gnu_time=/usr/bin/time
if [[ ! -x $gnu_time ]]; then
  gnu_time=""
  echo "note: /usr/bin/time not found, using the shell's time: peak memory unknown"
fi

row() { printf "%-11s %9s %11s %8s %8s %8s %12s\n" "$@"; }

# measure <label> <lines> <log> <command...>: runs the command (its console
# output goes to <log>) and prints one row of the table.
measure() {
  local label=$1 lines=$2 log=$3
  shift 3
  local wall user sys rss
  if [[ -n $gnu_time ]]; then
    "$gnu_time" -v -o "$log.time" "$@" >"$log" 2>&1 || {
      echo "$label failed, see $log" >&2
      exit 1
    }
    # GNU time prints the wall clock as [h:]m:ss.cc; turn it into seconds.
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {
             n = split($2, p, ":"); s = 0
             for (i = 1; i <= n; i++) s = s * 60 + p[i]
             printf "%.2f", s }' "$log.time")
    user=$(awk -F': ' '/User time \(seconds\)/ { print $2 }' "$log.time")
    sys=$(awk -F': ' '/System time \(seconds\)/ { print $2 }' "$log.time")
    rss=$(awk -F': ' '/Maximum resident set size/ { printf "%d", $2 / 1024 }' "$log.time")
  else
    local TIMEFORMAT="%R %U %S"
    local times
    times=$({ time "$@" >"$log" 2>&1; } 2>&1) || {
      echo "$label failed, see $log" >&2
      exit 1
    }
    read -r wall user sys <<<"$times"
    rss="?"
  fi
  row "$label" "$lines" "$(wc -l <"$2" | tr -d ' ')" "$wall" "$user" "$sys" "$rss"
}

# Wall time well above user + sys means the machine was busy with
# something else: compare runs by user + sys then.
echo "machine: $(nproc) CPUs, $(awk '/MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo)" \
  "RAM, load average $(cut -d' ' -f1-3 /proc/loadavg)"
row run "asked" "input lines" "wall s" "user s" "sys s" "peak RSS MiB"
for lines in "${sizes[@]}"; do
  data="$build/bench-data/$lines"
  rm -rf "$data"
  mkdir -p "$data"
  "$gen" "$data" "$lines"
  (
    cd "$data"
    measure read+write "$lines" read-write.log "$tool" ref.msk ref.msk ref.msk same.out.msk -reorder
    measure merge "$lines" merge.log "$tool" ref.msk new.msk custo.msk out.msk
  )
done
echo "files and console logs: $build/bench-data"
