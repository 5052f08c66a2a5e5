#!/usr/bin/env bash
# Renders each manual page as man and groff do, with every warning on, and
# fails on any warning; checks that the page carries the project's version.
# The pages carry the version as text in their .TH line, so that a page read
# from the source tree (man -l man/qelmask.1) shows it too; the version is
# set in CMakeLists.txt, and this check is what keeps the two the same.
#
#   usage: check-man-pages.sh <version> <page>...   (pages plain or gzipped)
# Exits 77 (skipped) when groff is not installed.
set -uo pipefail

version=$1
shift
if ! command -v groff >/dev/null 2>&1; then
  echo "groff is not installed: manual pages not checked"
  exit 77
fi

passed=0
failed=0
problems=0
fail() {
  problems=$((problems + 1))
  echo "FAIL: $1"
}

for page in "$@"; do
  problems_before=$problems
  name=$(basename "$page" .gz)
  warnings=$(zcat -f "$page" | groff -man -ww -z 2>&1)
  [[ -z $warnings ]] || fail "$name: groff -man -ww -z: $warnings"
  warnings=$(zcat -f "$page" | groff -man -Tutf8 -ww -z 2>&1)
  [[ -z $warnings ]] || fail "$name: groff -man -Tutf8 -ww -z: $warnings"
  if command -v man >/dev/null 2>&1; then
    for width in 80 60; do
      warnings=$(MANWIDTH=$width man --warnings -l "$page" 2>&1 >/dev/null)
      [[ -z $warnings ]] || fail "$name: man --warnings -l at $width columns: $warnings"
    done
  fi
  header=$(zcat -f "$page" | grep -m1 '^\.TH ')
  [[ $header == *"\"QELPeopleMaskMerger $version\""* ]] ||
    fail "$name: the header does not carry the project's version $version (CMakeLists.txt); set it in the .TH line of man/$name: $header"
  ! zcat -f "$page" | grep -n '@[A-Z_]*@' || fail "$name: a placeholder is left: write the text itself"
  if [[ $problems == "$problems_before" ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
  fi
done

echo "man pages: $passed passed, $failed failed"
[[ $failed == 0 ]]
