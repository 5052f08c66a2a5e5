#!/usr/bin/env bash
# Runs the mask merger on the example files of this folder.
#
#   usage: run-demo.sh <tool> <outdir>
#
# Merges the customer mask custo.msk (built on the DEFAULT mask ref.msk,
# version N) with the new DEFAULT mask new.msk (version N+1), settling the
# ambiguities with rules.txt, and writes <outdir>/merged.msk.
set -euo pipefail

if [ "$#" -ne 2 ]; then
  echo "usage: $0 <tool> <outdir>" >&2
  exit 2
fi
tool=$1
outdir=$2
examples=$(dirname "$0")

if [ ! -x "$tool" ]; then
  echo "$0: $tool is not an executable; build it first (make build)" >&2
  exit 2
fi

mkdir -p "$outdir"
merged=$outdir/merged.msk

"$tool" "$examples/ref.msk" "$examples/new.msk" "$examples/custo.msk" "$merged" \
  -rule "$examples/rules.txt"

echo
echo "Merged customer mask (version N+1): $merged"
echo "Review the lines \"// CHOICE\", \"// ALTERNATIVE\" and \"// ==> FINALLY\" in it:"
echo
cat "$merged"
