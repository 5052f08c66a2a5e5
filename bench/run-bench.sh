#!/usr/bin/env bash
# Times the tool against `git merge-file` on generated masks and prints one
# table: wall time, peak memory, the ratios to git and the scaling ratios.
#
#   bench/run-bench.sh [--runs N] [--scales BIG,SMALL] [--tool PATH]... [<build dir>]
#
# <build dir> (default: build/release of this repository) holds the tool and
# the generated inputs (bench-data/, made once and reused: remove a folder
# there to make it again) and receives the measurements (bench-results/).
#
# --tool PATH (or MERGER_BIN=PATH) measures another binary than
# <build dir>/QELPeopleMaskMerger. Give --tool twice to measure an old and
# a new binary side by side: their runs alternate, so both meet the same load.
#
# Runs, on the masks of `gen_masks.py --seed 7` at scale 3000 (about
# 1,000,000 lines per file) and at scale 300:
#   merge          tool ref.msk new.msk custo.msk out.msk
#   read + write   tool ref.msk ref.msk ref.msk out.msk -reorder
#   git merge-file git merge-file -p custo.msk ref.msk new.msk
#                  (its exit status is the number of conflicts: not a failure)
# Each of --runs rounds (default 10, or BENCH_RUNS) runs every command twice
# in turn: once under `/usr/bin/time -v` for the peak RSS (which also warms
# the page cache for the next run), then once under hyperfine for the wall
# time. The table gives the median of the rounds for each.
#
# GEN_MASKS names the generator (default: ../shared/bench/gen_masks.py
# beside this repository).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
seed=7
runs=${BENCH_RUNS:-10}
scales=(3000 300)
tools=()
build=""

usage() {
  sed -n '5p' "$0" | sed 's/^# */usage: /' >&2
  exit 2
}

while [[ $# -gt 0 ]]; do
  case $1 in
    --runs)
      runs=${2:?--runs needs a number}
      shift 2
      ;;
    --scales)
      IFS=, read -r -a scales <<<"${2:?--scales needs BIG,SMALL}"
      shift 2
      ;;
    --tool)
      tools+=("${2:?--tool needs a path}")
      shift 2
      ;;
    -h | --help) usage ;;
    -*)
      echo "unknown option: $1" >&2
      usage
      ;;
    *)
      [[ -z $build ]] || usage
      build=$1
      shift
      ;;
  esac
done
[[ $runs =~ ^[1-9][0-9]*$ ]] || {
  echo "--runs: not a positive number: $runs" >&2
  exit 2
}
[[ ${#scales[@]} -eq 2 ]] || {
  echo "--scales: give two scales, BIG,SMALL" >&2
  exit 2
}

build=${build:-$repo/build/release}
mkdir -p "$build"
build=$(cd "$build" && pwd)
[[ ${#tools[@]} -gt 0 ]] || tools=("${MERGER_BIN:-$build/QELPeopleMaskMerger}")
for i in "${!tools[@]}"; do
  tool=${tools[$i]}
  if [[ ! -f $tool || ! -x $tool ]]; then
    echo "no executable tool at $tool: build it first (make build)" >&2
    exit 1
  fi
  # The runs happen in a folder of their own.
  tools[i]=$(cd "$(dirname "$tool")" && pwd)/$(basename "$tool")
done

gen=${GEN_MASKS:-$repo/../shared/bench/gen_masks.py}
if [[ ! -f $gen ]]; then
  echo "the mask generator is missing: $gen" >&2
  echo "point GEN_MASKS at gen_masks.py" >&2
  exit 1
fi

# What the measurement needs beyond the build; Debian names the packages.
need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
[[ -x /usr/bin/time ]] || need+=(time)
command -v git >/dev/null || need+=(git)
command -v python3 >/dev/null || need+=(python3)
if [[ ${#need[@]} -gt 0 ]]; then
  if [[ $(id -u) -eq 0 ]] && command -v apt-get >/dev/null; then
    echo "installing ${need[*]}" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq "${need[@]}" >/dev/null
  else
    echo "missing ${need[*]}: install with  sudo apt-get install ${need[*]}" >&2
    exit 1
  fi
fi

# Traces multiply the output many times over: time the plain run only.
unset VEX_TRACE

# generate <scale> <folder>: writes the inputs of one scale. The folder
# appears only once it is complete, so an interrupted run leaves none.
generate() {
  echo "generating the masks at scale $1 into $2 (up to a minute at scale 3000)" >&2
  rm -rf "$2.partial"
  python3 "$gen" --seed "$seed" --scale "$1" "$2.partial" >/dev/null
  mv "$2.partial" "$2"
}

results=$build/bench-results
rm -rf "$results"
mkdir -p "$results"
manifest=$results/manifest.tsv
: >"$manifest"

# A run folder per scale, holding links to the inputs: the tool writes
# out.msk and ref.msk.sorted there, and the inputs stay as generated.
declare -A sizes
for scale in "${scales[@]}"; do
  data=$build/bench-data/seed$seed-scale$scale
  [[ -d $data ]] || generate "$scale" "$data"
  mkdir -p "$results/run-$scale"
  for name in ref.msk new.msk custo.msk; do
    ln -s "$data/$name" "$results/run-$scale/$name"
  done
  sizes[$scale]=$(cat "$data"/{ref,new,custo}.msk | wc -lc | awk '{ printf "%d lines, %.1f MiB", $1, $2 / 1048576 }')
done

# measure <label> <scale> <round> <command...>: one run under /usr/bin/time
# for the peak RSS, then one under hyperfine for the wall time. A non-zero
# exit status fails the benchmark, except for git, whose status counts the
# conflicts.
measure() {
  local label=$1 scale=$2 round=$3
  shift 3
  local name base
  name=$(tr -cs 'a-z0-9' '-' <<<"$label")
  base="$results/${name%-}-$scale.$round"
  local ignore=()
  [[ $1 != git ]] || ignore=(--ignore-failure)
  echo "round $round/$runs, scale $scale: $label" >&2

  local stdout=$base.out status=0
  [[ $1 != git ]] || stdout=/dev/null # the merged text: large and of no use
  (cd "$results/run-$scale" && /usr/bin/time -v -o "$base.time" "$@" >"$stdout" 2>"$base.err") ||
    status=$?
  if [[ ${#ignore[@]} -eq 0 && $status -ne 0 ]] || [[ $status -gt 127 ]]; then
    echo "$label failed with status $status: see $base.out and $base.err" >&2
    exit 1
  fi

  (cd "$results/run-$scale" &&
    hyperfine --shell=none --runs 1 --style none "${ignore[@]}" \
      --export-json "$base.json" --command-name "$label" "$(printf '%q ' "$@")" \
      >/dev/null 2>"$base.hyperfine") || {
    echo "hyperfine failed on $label: see $base.hyperfine" >&2
    exit 1
  }
  printf '%s\t%s\t%s\t%s\t%s\n' "$label" "$scale" "$round" "$base.json" "$base.time" >>"$manifest"
}

# label <run> <tool index>: names the tool by number only when there are several.
label() {
  if [[ ${#tools[@]} -gt 1 ]]; then echo "$1 ($(($2 + 1)))"; else echo "$1"; fi
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for round in $(seq "$runs"); do
  for scale in "${scales[@]}"; do
    for i in "${!tools[@]}"; do
      measure "$(label merge "$i")" "$scale" "$round" \
        "${tools[$i]}" ref.msk new.msk custo.msk out.msk
    done
    for i in "${!tools[@]}"; do
      measure "$(label "read + write" "$i")" "$scale" "$round" \
        "${tools[$i]}" ref.msk ref.msk ref.msk out.msk -reorder
    done
    measure "git merge-file -p" "$scale" "$round" git merge-file -p custo.msk ref.msk new.msk
  done
done

{
  echo
  echo "Machine: $(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)," \
    "$(nproc) CPUs, $(awk '/^MemTotal/ { printf "%.1f GiB", $2 / 1048576 }' /proc/meminfo) RAM," \
    "Linux $(uname -r); $(git --version); $(hyperfine --version)"
  echo "Load average before: $load_before; after: $(cut -d' ' -f1-3 /proc/loadavg)"
  for i in "${!tools[@]}"; do
    if [[ ${#tools[@]} -gt 1 ]]; then echo "Tool ($((i + 1))): ${tools[$i]}"; else echo "Tool: ${tools[$i]}"; fi
  done
  for scale in "${scales[@]}"; do
    echo "Inputs at scale $scale: seed $seed, ${sizes[$scale]}"
  done
  echo "Median of $runs rounds; wall time by hyperfine, peak RSS by /usr/bin/time -v."
  echo
  python3 "$repo/bench/bench_table.py" "$manifest" "${scales[@]}"
} | tee "$results/table.md"
echo "measurements and console output: $results" >&2
