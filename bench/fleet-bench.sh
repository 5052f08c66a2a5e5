#!/usr/bin/env bash
# Times one `qelmask merge` over a fleet of sites against the same sites
# merged by separate runs, one after the other, and prints one table: wall
# and CPU time (hyperfine), peak RSS (/usr/bin/time -v), and the two ratios
# the fleet run is held to: at least 2.5 times faster than the separate
# runs, with a peak RSS at most 2.5 times a single site's merge.
#
#   bench/fleet-bench.sh [--runs N] [--sites K] [--scale S] [-j N] [<build dir>]
#
# The fleet is `gen_masks.py --seed 7 --scale 300 --sites 32` (about 100,000
# lines per mask), made once into <build dir>/bench-data/ and reused.
# GEN_MASKS names the generator (default: ../shared/bench/gen_masks.py
# beside this repository).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
runs=5
sites=32
scale=300
jobs=2
build=""
while [[ $# -gt 0 ]]; do
  case $1 in
    --runs | --sites | --scale | -j)
      value=${2:?$1 needs a number}
      [[ $value =~ ^[1-9][0-9]*$ ]] || {
        echo "$1: not a positive number: $value" >&2
        exit 2
      }
      case $1 in
        --runs) runs=$value ;;
        --sites) sites=$value ;;
        --scale) scale=$value ;;
        -j) jobs=$value ;;
      esac
      shift 2
      ;;
    -h | --help)
      sed -n '8p' "$0" | sed 's/^# */usage: /' >&2
      exit 2
      ;;
    *)
      build=$1
      shift
      ;;
  esac
done
build=$(cd "${build:-$repo/build/release}" && pwd)
qelmask=$build/qelmask
[[ -x $qelmask ]] || {
  echo "no qelmask in $build: build it first (make build)" >&2
  exit 1
}
for tool in hyperfine /usr/bin/time; do
  command -v "$tool" >/dev/null || {
    echo "$tool is missing: apt-get install ${tool##*/}" >&2
    exit 1
  }
done

data=$build/bench-data/fleet-seed7-scale$scale-sites$sites
if [[ ! -d $data ]]; then
  gen=${GEN_MASKS:-$repo/../shared/bench/gen_masks.py}
  [[ -f $gen ]] || {
    echo "the mask generator is missing: $gen (point GEN_MASKS at gen_masks.py)" >&2
    exit 1
  }
  echo "generating the fleet into $data" >&2
  rm -rf "$data.partial"
  python3 "$gen" --seed 7 --scale "$scale" --sites "$sites" "$data.partial" >/dev/null
  mv "$data.partial" "$data"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset VEX_TRACE
cd "$data"
first=$(ls sites | head -n 1)
fleet="$qelmask merge --ref ref.msk --new new.msk --sites sites --output-dir $work/fleet -j $jobs --force --quiet"
separate="for site in sites/*.msk; do $qelmask merge --ref ref.msk --new new.msk --custo \$site --output $work/one.msk --force --quiet || exit 1; done"
single="$qelmask merge --ref ref.msk --new new.msk --custo sites/$first --output $work/one.msk --force --quiet"

# Peak RSS: one run each under /usr/bin/time -v (the separate runs report
# their largest process).
for name in fleet separate single; do
  /usr/bin/time -v -o "$work/$name.time" bash -c "${!name}"
done
echo "timing $runs rounds of each (hyperfine)" >&2
hyperfine --runs "$runs" --style none --export-json "$work/times.json" \
  --command-name "fleet run, -j $jobs" "$fleet" \
  --command-name "$sites separate runs" "$separate" \
  --command-name "one site alone" "$single" >/dev/null

python3 - "$work" "$sites" "$scale" <<'PY'
import json
import re
import statistics
import sys

work, sites, scale = sys.argv[1], sys.argv[2], sys.argv[3]
results = json.load(open(work + "/times.json"))["results"]


def rss(name):
    text = open("%s/%s.time" % (work, name)).read()
    return int(re.search(r"Maximum resident set size \(kbytes\): (\d+)", text).group(1)) / 1024


rows = []
for result, name in zip(results, ("fleet", "separate", "single")):
    # hyperfine gives the mean user and system time of the rounds.
    cpu = result["user"] + result["system"]
    rows.append((result["command"], statistics.median(result["times"]), cpu, rss(name)))
print("%s sites of gen_masks.py --seed 7 --scale %s, medians of %d rounds"
      % (sites, scale, len(results[0]["times"])))
print("| run | wall s (median) | CPU s (mean) | peak RSS MiB |")
print("|---|---|---|---|")
for name, wall, cpu, peak in rows:
    print("| %s | %.2f | %.2f | %.0f |" % (name, wall, cpu, peak))
faster = rows[1][1] / rows[0][1]
memory = rows[0][3] / rows[2][3]
print()
print("fleet run %.2f times faster than the separate runs (goal: at least 2.5): %s"
      % (faster, "met" if faster >= 2.5 else "NOT met"))
print("fleet run's peak RSS %.2f times a single site's (goal: at most 2.5): %s"
      % (memory, "met" if memory <= 2.5 else "NOT met"))
PY
