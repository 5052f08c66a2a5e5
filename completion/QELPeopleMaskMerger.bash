# bash completion for QELPeopleMaskMerger                  -*- shell-script -*-
#
#   QELPeopleMaskMerger [-h] <file1> <file2> <file3> <file4> [-rule <rule>] [-reorder]
#
# The four positions take mask files: names ending in .msk (and folders) are
# offered, or any file when no such name matches. The word after -rule takes
# any file. Options are offered for a word that starts with "-", and once the
# four positions are taken.

# Which word the tool expects next, read the way the tool reads its arguments:
# 0 to 3 for <file1> to <file4>, 10 for the rule file, -1 once all four names
# are taken. The name after the rule file is taken as <file2>, whatever came
# before, and -reorder changes nothing.
_QELPeopleMaskMerger_expected() {
  local state=0 i
  for ((i = 1; i < COMP_CWORD; i++)); do
    case ${COMP_WORDS[i]} in
      -rule) state=10 ;;
      -h | -reorder) ;;
      *)
        case $state in
          10) state=1 ;;
          3 | -1) state=-1 ;;
          *) state=$((state + 1)) ;;
        esac
        ;;
    esac
  done
  echo "$state"
}

_QELPeopleMaskMerger() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  local state
  state=$(_QELPeopleMaskMerger_expected)
  COMPREPLY=()

  if [[ $state == 10 ]]; then
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  elif [[ $cur == -* || $state == -1 ]]; then
    mapfile -t COMPREPLY < <(compgen -W '-h -rule -reorder' -- "$cur")
  else
    # Folders are offered with the mask files, so that one can walk into them;
    # a folder whose name ends in .msk is offered once, as a folder.
    local name masks=() folders=()
    mapfile -t folders < <(compgen -d -- "$cur")
    while IFS= read -r name; do
      [[ -d $name ]] || masks+=("$name")
    done < <(compgen -f -X '!*.msk' -- "$cur")
    if ((${#masks[@]} > 0)); then
      COMPREPLY=("${masks[@]}" "${folders[@]}")
    else
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
  fi
}

complete -o filenames -F _QELPeopleMaskMerger QELPeopleMaskMerger
