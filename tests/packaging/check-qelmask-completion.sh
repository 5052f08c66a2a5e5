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
touch ref.msk new.msk custo.msk rules.txt notes.txt report.json
mkdir -p old
touch old/v8.msk

masks='custo.msk new.msk old ref.msk'
files='custo.msk new.msk notes.txt old ref.msk report.json rules.txt'

# Subcommands first.
check 'qelmask|' '--help --version access check decide diff git-merge git-setup lines merge report strip'
check 'qelmask|diff|' "$masks"
check 'qelmask|git-merge|--vendor|' 'ours theirs'
check 'qelmask|m' 'merge'
check 'qelmask|--v' '--version'
# Options of each subcommand.
check 'qelmask|merge|--r' '--ref --rules'
check 'qelmask|merge|--s' '--sites --sorted-custo'
check 'qelmask|check|--' '--all --custo --decisions --fail-on --help --new --quiet --ref --rules'
check 'qelmask|merge|--d' '--decisions'
check 'qelmask|access|--' '--allow-swap --custo --decisions --force --help --json --new --quiet --ref --rules'
check 'qelmask|decide|--' '--decisions --force --help --output --quiet --report --rules-output --take --with-subtree'
check 'qelmask|strip|merged.msk|--' '--force --help --output --quiet'
check 'qelmask|report|--' '--allow-swap --combine --custo --decisions --force --help --html --jobs --json --new --quiet --ref --rules --sites'
# Mask files after the options that name masks; any file after --rules.
check 'qelmask|merge|--ref|' "$masks"
check 'qelmask|merge|--ref|ref.msk|--custo|c' 'custo.msk'
check 'qelmask|merge|--output|old/' 'old/v8.msk'
check 'qelmask|check|--rules|' "$files"
check 'qelmask|merge|--rules|r' 'ref.msk report.json rules.txt'
check 'qelmask|merge|--custo|no' 'notes.txt'
# Any file for the page and the data of report, masks for its inputs.
check 'qelmask|report|--html|' "$files"
check 'qelmask|report|--ref|r.msk|--json|n' 'new.msk notes.txt'
check 'qelmask|report|--custo|' "$masks"
# Several sites: more masks after --custo's first, folders for --sites and
# --output-dir, more reports after --combine's first.
check 'qelmask|merge|--custo|ref.msk|' "$masks"
check 'qelmask|merge|--custo|ref.msk|--rules|rules.txt|' ''
check 'qelmask|merge|--sites|' 'old'
check 'qelmask|merge|--output-dir|o' 'old'
check 'qelmask|report|--combine|report.json|n' 'new.msk notes.txt'
# strip's merged mask, and the masks check takes on their own.
check 'qelmask|strip|' "$masks"
check 'qelmask|check|' "$masks"
# decide: any file after --report, --decisions and its --output (a decisions
# file, not a mask); the two options after --take.
check 'qelmask|decide|--report|' "$files"
check 'qelmask|decide|--report|report.json|--output|n' 'new.msk notes.txt'
check 'qelmask|merge|--decisions|r' 'ref.msk report.json rules.txt'
check 'qelmask|decide|--take|' 'alternative recommendation'
check 'qelmask|decide|--take|a' 'alternative'
# The kinds of --fail-on, the last one of the list.
check 'qelmask|check|--fail-on|stale' 'stale-decision stale-rule'
check 'qelmask|merge|--fail-on|grant,re' 'grant,revoke'
# Nothing is offered for an unknown subcommand, nor for a bare word of merge.
check 'qelmask|frobnicate|' ''
check 'qelmask|merge|' ''

echo "qelmask completion: $passed passed, $failed failed"
[[ $failed == 0 ]]
