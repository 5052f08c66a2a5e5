#!/usr/bin/env bash
# Shows that two builds of the tool behave the same: runs both on generated
# cases and compares everything they print, return and write.
#
#   bench/compare-binaries.sh OLD_BINARY NEW_BINARY [--seeds N] [--scales LIST]
#                             [--big-scale X] [--jobs J] [--timeout S]
#
# For each seed 1..N (default 40) and each scale of LIST (default 1,3,10,30),
# `gen_masks.py --random-options` makes a case (masks, maybe a rule file, and
# the arguments and environment of its run); bench/compare_case.py runs both
# binaries on it, with the case's own options and then with -reorder,
# -rule rules.txt and the traces Main, MergerRule and *. One more case, seed 1
# at --big-scale (default 300, 0 for none), runs with its own options only.
# Cases run J at a time (default 2).
#
# Prints one line per run that differs, naming the folder kept for
# inspection, then a summary; exits with 1 when any run differs. GEN_MASKS
# names the generator (default: ../shared/bench/gen_masks.py beside this
# repository).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
seeds=40
scales=1,3,10,30
big_scale=300
jobs=2
timeout=600

usage() {
  sed -n '5,6p' "$0" | sed '1s/^# */usage: /; 2s/^# /     /' >&2
  exit 2
}

binaries=()
while [[ $# -gt 0 ]]; do
  case $1 in
    --seeds | --scales | --big-scale | --jobs | --timeout)
      [[ $# -ge 2 ]] || usage
      case $1 in
        --seeds) seeds=$2 ;;
        --scales) scales=$2 ;;
        --big-scale) big_scale=$2 ;;
        --jobs) jobs=$2 ;;
        --timeout) timeout=$2 ;;
      esac
      shift 2
      ;;
    -h | --help) usage ;;
    -*)
      echo "unknown option: $1" >&2
      usage
      ;;
    *)
      binaries+=("$1")
      shift
      ;;
  esac
done
[[ ${#binaries[@]} -eq 2 ]] || usage
for i in 0 1; do
  if [[ ! -f ${binaries[$i]} || ! -x ${binaries[$i]} ]]; then
    echo "not an executable: ${binaries[$i]}" >&2
    exit 2
  fi
  # The runs happen in folders of their own.
  binaries[i]=$(cd "$(dirname "${binaries[$i]}")" && pwd)/$(basename "${binaries[$i]}")
done
[[ $seeds =~ ^[1-9][0-9]*$ && $jobs =~ ^[1-9][0-9]*$ ]] || {
  echo "--seeds and --jobs take a positive number" >&2
  exit 2
}

gen=${GEN_MASKS:-$here/../../shared/bench/gen_masks.py}
if [[ ! -f $gen ]]; then
  echo "the mask generator is missing: $gen" >&2
  echo "point GEN_MASKS at gen_masks.py" >&2
  exit 1
fi

# One case per line, "<seed> <scale> [--given-only]". The largest first, so
# that it does not run alone at the end.
cases=()
IFS=, read -r -a scale_list <<<"$scales"
if [[ $big_scale != 0 && " ${scale_list[*]} " != *" $big_scale "* ]]; then
  cases+=("1 $big_scale --given-only")
fi
for seed in $(seq "$seeds"); do
  for scale in "${scale_list[@]}"; do
    cases+=("$seed $scale")
  done
done

work=$(mktemp -d "${TMPDIR:-/tmp}/compare-binaries.XXXXXX")
echo "comparing ${binaries[0]} (old) with ${binaries[1]} (new) on ${#cases[@]} cases in $work" >&2
start=$SECONDS

# xargs reports a case that differs by its own status: the tallies say more.
printf '%s\n' "${cases[@]}" |
  xargs -P "$jobs" -L 1 python3 "$here/compare_case.py" --timeout "$timeout" \
    "${binaries[@]}" "$gen" "$work" || true

# Each tally holds one line per run: "<run name> same|differs".
tallies=() missing=0
for case in "${cases[@]}"; do
  read -r seed scale _ <<<"$case"
  tally=$work/seed$seed-scale$scale.tally
  if [[ -f $tally ]]; then tallies+=("$tally"); else missing=$((missing + 1)); fi
done
mismatches=$(cat "${tallies[@]}" /dev/null | grep -c ' differs$' || true)

echo "${#cases[@]} cases in $((SECONDS - start)) s; runs of each binary, by options:"
cat "${tallies[@]}" /dev/null | awk '{ runs[$1]++; if ($2 == "differs") bad[$1]++ }
  END { for (name in runs) printf "  %-18s %5d runs, %d differ\n", name, runs[name], bad[name] }' |
  sort
echo "$mismatches runs differ; $missing cases did not run to the end"
if [[ $mismatches -gt 0 || $missing -gt 0 ]]; then
  echo "the folders of the runs that differ are kept in $work"
  exit 1
fi
rm -rf "$work"
echo "no difference"
