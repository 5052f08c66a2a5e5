#!/usr/bin/env bash
# Drives the bash completion of QELPeopleMaskMerger the way bash does on a
# TAB (through completion-driver.sh) and compares the candidates.
#
#   usage: check-completion.sh <completion script>
set -uo pipefail

script=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# shellcheck source=completion-driver.sh
source "$(dirname "$0")/completion-driver.sh"
load_completion "$script" QELPeopleMaskMerger

cd "$scratch" || exit 1
touch ref.msk new.msk custo.msk rules.txt notes.txt 'site mask.msk'
mkdir -p old/v9 archive.msk odd
touch old/v8.msk old/readme 'odd/a[1].msk' odd/a1.msk

all_masks='archive.msk custo.msk new.msk odd old ref.msk site mask.msk'
all_files='archive.msk custo.msk new.msk notes.txt odd old ref.msk rules.txt site mask.msk'
options='-h -reorder -rule'

# Options.
check 'QELPeopleMaskMerger|-r' '-reorder -rule'
check 'QELPeopleMaskMerger|-' "$options"
check 'QELPeopleMaskMerger|-re' '-reorder'
check 'QELPeopleMaskMerger|ref.msk|-x' ''
# The four positions: mask files and folders first, any file when none matches.
check 'QELPeopleMaskMerger|' "$all_masks"
check 'QELPeopleMaskMerger|n' 'new.msk'
check 'QELPeopleMaskMerger|no' 'notes.txt'
check 'QELPeopleMaskMerger|s' 'site mask.msk'
check 'QELPeopleMaskMerger|old/' 'old/v8.msk old/v9'
check 'QELPeopleMaskMerger|old/r' 'old/readme'
check 'QELPeopleMaskMerger|odd/a' 'odd/a1.msk odd/a[1].msk'
check 'QELPeopleMaskMerger|-reorder|' "$all_masks"
check 'QELPeopleMaskMerger|ref.msk|new.msk|custo.msk|' "$all_masks"
# After the rule file the tool expects <file2> again.
check 'QELPeopleMaskMerger|ref.msk|-rule|rules.txt|' "$all_masks"
# The rule file: any file.
check 'QELPeopleMaskMerger|ref.msk|new.msk|custo.msk|out.msk|-rule|' "$all_files"
check 'QELPeopleMaskMerger|ref.msk|new.msk|custo.msk|out.msk|-rule|r' 'ref.msk rules.txt'
check 'QELPeopleMaskMerger|-rule|-reorder|r' 'ref.msk rules.txt'
# All four names taken: only options are left.
check 'QELPeopleMaskMerger|ref.msk|new.msk|custo.msk|out.msk|' "$options"
check 'QELPeopleMaskMerger|ref.msk|new.msk|custo.msk|out.msk|-reorder|-r' '-reorder -rule'
check 'QELPeopleMaskMerger|ref.msk|new.msk|custo.msk|out.msk|n' ''

# An interactive shell that sources the script completes the command too.
interactive=$(bash --norc --noprofile -i -c "source '$script'; complete -p QELPeopleMaskMerger" </dev/null 2>/dev/null)
if [[ $interactive == *"-F $function QELPeopleMaskMerger"* ]]; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  echo "FAIL: an interactive bash does not register the completion: $interactive"
fi

echo "completion: $passed passed, $failed failed"
[[ $failed == 0 ]]
