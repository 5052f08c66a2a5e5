#!/usr/bin/env bash
# Runs a merge on the example files of this folder.
#
#   usage: run-demo.sh <program> <outdir>
#
# <program> is the path of qelmask or of QELPeopleMaskMerger. Merges the
# customer mask custo.msk (built on the DEFAULT mask ref.msk, version N)
# with the new DEFAULT mask new.msk (version N+1), settling the questions
# with rules.txt, and writes <outdir>/merged.msk (replaced when it exists).
# With qelmask it shows the command and its summary, and how to review the
# file; with QELPeopleMaskMerger, the tool's console and the merged file.
set -euo pipefail

if [ "$#" -ne 2 ]; then
  echo "usage: $0 <qelmask or QELPeopleMaskMerger> <outdir>" >&2
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

case $(basename "$tool") in
  qelmask*)
    # qelmask never replaces a file unless told to: the demo's own file goes
    # first, so that the command shown is the one a user would type.
    rm -f "$merged"
    echo "\$ $tool merge --ref $examples/ref.msk --new $examples/new.msk \\"
    echo "      --custo $examples/custo.msk --rules $examples/rules.txt --output $merged"
    "$tool" merge --ref "$examples/ref.msk" --new "$examples/new.msk" \
      --custo "$examples/custo.msk" --rules "$examples/rules.txt" --output "$merged"
    echo
    echo "Each question the merge settled left a review record above its node in"
    echo "$merged. The first one:"
    echo
    grep -m1 -A4 '^// CHOICE' "$merged"
    echo
    echo "All of them: grep -n -A3 '^// CHOICE' $merged"
    echo "Once reviewed, the file to deploy, without the records:"
    echo "  $tool strip $merged --output $outdir/deploy.msk"
    ;;
  *)
    "$tool" "$examples/ref.msk" "$examples/new.msk" "$examples/custo.msk" "$merged" \
      -rule "$examples/rules.txt"
    echo
    echo "Merged customer mask (version N+1): $merged"
    echo "Review the lines \"// CHOICE\", \"// ALTERNATIVE\" and \"// ==> FINALLY\" in it:"
    echo
    cat "$merged"
    ;;
esac
