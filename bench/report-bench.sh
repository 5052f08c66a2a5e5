#!/usr/bin/env bash
# Times `qelmask report --html --json` against `qelmask merge` on the
# benchmark inputs (gen_masks.py --seed 7 --scale 3000: three masks of about
# a million lines each) and prints the medians and their ratio. The two runs
# alternate, round after round, so that both meet the same load of a shared
# machine.
#
#   bench/report-bench.sh [--runs N] [<build dir>]
#
# <build dir> (default: build/release of this repository) holds qelmask and
# the generated inputs (bench-data/, shared with run-bench.sh). GEN_MASKS
# names the generator (default: ../shared/bench/gen_masks.py beside this
# repository).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
runs=10
build=""
while [[ $# -gt 0 ]]; do
  case $1 in
    --runs)
      runs=${2:?--runs needs a number}
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
[[ -x /usr/bin/time ]] || {
  echo "/usr/bin/time is missing: apt-get install time" >&2
  exit 1
}

data=$build/bench-data/seed7-scale3000
if [[ ! -d $data ]]; then
  gen=${GEN_MASKS:-$repo/../shared/bench/gen_masks.py}
  [[ -f $gen ]] || {
    echo "the mask generator is missing: $gen (point GEN_MASKS at gen_masks.py)" >&2
    exit 1
  }
  echo "generating the benchmark inputs into $data (about a minute)" >&2
  rm -rf "$data.partial"
  python3 "$gen" --seed 7 --scale 3000 "$data.partial" >/dev/null
  mv "$data.partial" "$data"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
inputs=(--ref "$data/ref.msk" --new "$data/new.msk" --custo "$data/custo.msk" --force --quiet)
unset VEX_TRACE
merge() {
  /usr/bin/time -a -o "$work/merge.times" -f '%e %U %S' \
    "$qelmask" merge "${inputs[@]}" --output "$work/merged.msk"
}
report() {
  /usr/bin/time -a -o "$work/report.times" -f '%e %U %S' \
    "$qelmask" report "${inputs[@]}" --html "$work/page.html" --json "$work/report.json"
}
# The order flips every round: a run is slowed by what the run before it
# left in memory (huge pages to zero again), whichever program that was.
for round in $(seq "$runs"); do
  echo "round $round/$runs" >&2
  if ((round % 2)); then
    merge
    report
  else
    report
    merge
  fi
done

python3 - "$work/merge.times" "$work/report.times" "$runs" <<'PY'
import statistics
import sys

def load(path):
    rows = [list(map(float, line.split())) for line in open(path) if line.strip()]
    return [statistics.median(column) for column in zip(*rows)], min(r[0] for r in rows)

(merge, merge_best), (report, report_best) = load(sys.argv[1]), load(sys.argv[2])
print("%d rounds, medians (wall, user, system seconds) and best wall:" % int(sys.argv[3]))
print("  qelmask merge                  %6.2f %6.2f %6.2f   best %6.2f" % (*merge, merge_best))
print("  qelmask report --html --json   %6.2f %6.2f %6.2f   best %6.2f" % (*report, report_best))
print("  report / merge: %.2f (median wall), %.2f (best wall)"
      % (report[0] / merge[0], report_best / merge_best))
PY
