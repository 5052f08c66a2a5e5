# bash completion for qelmask                              -*- shell-script -*-
#
#   qelmask merge --ref R --new N --custo C [--rules F] --output O [--force]
#                 [--sorted-custo S] [--quiet]
#   qelmask check --ref R --new N --custo C [--rules F] [--quiet]
#   qelmask strip MERGED --output O [--force] [--quiet]
#   qelmask report --ref R --new N --custo C [--rules F] [--html PAGE]
#                  [--json DATA] [--force] [--quiet]
#
# The first word is a subcommand (or --help, --version). After it, a word
# that starts with "-" is an option of that subcommand; the word after an
# option that names a mask takes mask files (names ending in .msk, and
# folders), or any file when no such name matches; after --rules, --html and
# --json, any file.

_qelmask_masks() {
  local cur=$1 name masks=() folders=()
  # Folders are offered with the mask files, so that one can walk into them.
  mapfile -t folders < <(compgen -d -- "$cur")
  while IFS= read -r name; do
    [[ -d $name ]] || masks+=("$name")
  done < <(compgen -f -X '!*.msk' -- "$cur")
  if ((${#masks[@]} > 0)); then
    COMPREPLY=("${masks[@]}" "${folders[@]}")
  else
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  fi
}

_qelmask() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local command=${COMP_WORDS[1]:-}
  COMPREPLY=()

  if ((COMP_CWORD == 1)); then
    mapfile -t COMPREPLY < <(compgen -W 'merge check strip report --help --version' -- "$cur")
    return
  fi

  local options
  case $command in
    merge) options='--ref --new --custo --rules --output -o --force -f --sorted-custo --quiet -q --help -h' ;;
    check) options='--ref --new --custo --rules --quiet -q --help -h' ;;
    strip) options='--output -o --force -f --quiet -q --help -h' ;;
    report) options='--ref --new --custo --rules --html --json --force -f --quiet -q --help -h' ;;
    *) return ;;
  esac

  case $prev in
    --ref | --new | --custo | --output | -o | --sorted-custo)
      _qelmask_masks "$cur"
      return
      ;;
    --rules | --html | --json)
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      return
      ;;
  esac

  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
  elif [[ $command == strip ]]; then
    # The merged mask, strip's one name without an option.
    _qelmask_masks "$cur"
  fi
}

complete -o filenames -F _qelmask qelmask
