#!/usr/bin/env bash
# Drives the bash completion of qelmask the way bash does on a TAB (through
# completion-driver.sh) and compares the candidates.
#
#   usage: check-qelmask-completion.sh <completion script>
set -uo pipefail

script=$(realpath "$1")
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# shellcheck source=completion-driver.sh
source "$(dirname "$0")/completion-driver.sh"
load_completion "$script" qelmask

cd "$scratch" || exit 1
touch ref.msk new.msk custo.msk rules.txt notes.txt
mkdir -p old
touch old/v8.msk

masks='custo.msk new.msk old ref.msk'
files='custo.msk new.msk notes.txt old ref.msk rules.txt'

# Subcommands first.
check 'qelmask|' '--help --version check merge report strip'
check 'qelmask|m' 'merge'
check 'qelmask|--v' '--version'
# Options of each subcommand.
check 'qelmask|merge|--r' '--ref --rules'
check 'qelmask|merge|--s' '--sorted-custo'
check 'qelmask|check|--' '--custo --help --new --quiet --ref --rules'
check 'qelmask|strip|merged.msk|--' '--force --help --output --quiet'
check 'qelmask|report|--' '--custo --force --help --html --json --new --quiet --ref --rules'
# Mask files after the options that name masks; any file after --rules.
check 'qelmask|merge|--ref|' "$masks"
check 'qelmask|merge|--ref|ref.msk|--custo|c' 'custo.msk'
check 'qelmask|merge|--output|old/' 'old/v8.msk'
check 'qelmask|check|--rules|' "$files"
check 'qelmask|merge|--rules|r' 'ref.msk rules.txt'
check 'qelmask|merge|--custo|no' 'notes.txt'
# Any file for the page and the data of report, masks for its inputs.
check 'qelmask|report|--html|' "$files"
check 'qelmask|report|--ref|r.msk|--json|n' 'new.msk notes.txt'
check 'qelmask|report|--custo|' "$masks"
# strip's merged mask, given without an option.
check 'qelmask|strip|' "$masks"
# Nothing is offered for an unknown subcommand, nor for a bare word of merge.
check 'qelmask|frobnicate|' ''
check 'qelmask|merge|' ''

echo "qelmask completion: $passed passed, $failed failed"
[[ $failed == 0 ]]
