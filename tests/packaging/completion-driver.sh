# Sourced by the completion checks: drives a bash completion the way bash
# does on a TAB, setting COMP_WORDS and COMP_CWORD for a command line and
# calling the function that the completion script registered.

passed=0
failed=0

# load_completion <completion script> <command>: sources the script and
# keeps the function it registered for the command in $function.
load_completion() {
  local registration
  command_name=$2
  # shellcheck source=/dev/null
  source "$1"
  registration=$(complete -p "$command_name") || {
    echo "FAIL: $1 registers no completion for $command_name"
    exit 1
  }
  function=${registration#*-F }
  function=${function%% *}
}

# Completes the last word of a command line and compares the sorted
# candidates, one per line, with the expected ones.
#   check "<words, the last one being completed>" "<expected candidates>"
# Words are separated by "|" so that a word may hold a blank.
check() {
  local line=$1 expected=$2 actual
  IFS='|' read -ra COMP_WORDS <<<"$line"
  [[ $line == *'|' ]] && COMP_WORDS+=('')
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_LINE=${line//|/ }
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  "$function" "$command_name" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  actual=$(printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd ' ' -)
  if [[ $actual == "$expected" ]]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAIL: [${line//|/ }]"
    echo "  expected: $expected"
    echo "  actual:   $actual"
  fi
}
