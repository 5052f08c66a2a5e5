# bash completion for qelmask                              -*- shell-script -*-
#
#   qelmask merge --ref R --new N --custo C [--rules F] [--decisions D]
#                 --output O [--force] [--sorted-custo S] [--legacy-layout]
#                 [--allow-swap] [--fail-on KIND,...] [--quiet]
#   qelmask check --ref R --new N --custo C [--rules F] [--decisions D]
#                 [--fail-on KIND,...] [--all] [--quiet]
#   qelmask check MASK... [--all] [--quiet]
#   qelmask strip MERGED --output O [--force] [--quiet]
#   qelmask report --ref R --new N --custo C [--rules F] [--decisions D]
#                  [--html PAGE] [--json DATA] [--force] [--allow-swap] [--quiet]
#   qelmask access --ref R --new N --custo C [--rules F] [--decisions D]
#                  [--json DATA] [--force] [--allow-swap] [--quiet]
#   qelmask merge|report ... (--custo C1 C2... | --sites DIR) [--output-dir OUT]
#                  [--jobs N]: several sites at once
#   qelmask report --combine DATA1 DATA2... [--html PAGE] [--json DATA]
#   qelmask decide --report DATA --take OPTION [--with-subtree] [--decisions D]
#                  [--rules-output RULES] --output O [--force] [--quiet] QUESTION...
#
# The first word is a command (or --help, --version). After it, a word that
# starts with "-" is an option of that command; the word after an option
# that names a mask takes mask files (names ending in .msk, and folders), or
# any file when no such name matches; after an option that names another
# file, any file; after --take, its two options; after --fail-on, the kinds,
# one after each comma. decide's --output is its decisions file, not a mask.

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

# The kinds of --fail-on: the word is a list, and only its last kind is
# completed, after the ones already typed.
_qelmask_kinds() {
  local cur=$1 done='' kind
  local kinds='grant revoke lost-customisation stale-rule stale-decision swap lost-comment ignored-line moved-line'
  if [[ $cur == *,* ]]; then
    done=${cur%,*},
    cur=${cur##*,}
  fi
  COMPREPLY=()
  for kind in $(compgen -W "$kinds" -- "$cur"); do
    COMPREPLY+=("$done$kind")
  done
  # A kind completed is not a file name: no slash, no quoting by -o filenames.
  compopt +o filenames 2>/dev/null
  ((${#COMPREPLY[@]} == 1)) && compopt -o nospace 2>/dev/null
}

_qelmask() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local command=${COMP_WORDS[1]:-}
  COMPREPLY=()

  if ((COMP_CWORD == 1)); then
    mapfile -t COMPREPLY < <(compgen -W 'merge check strip report access decide diff lines git-merge git-setup --help --version' -- "$cur")
    return
  fi

  local options
  case $command in
    merge) options='--ref --new --custo --sites --jobs -j --rules --decisions --output -o --output-dir --force -f --sorted-custo --legacy-layout --allow-swap --fail-on --quiet -q --help -h' ;;
    check) options='--ref --new --custo --rules --decisions --fail-on --all --quiet -q --help -h' ;;
    strip) options='--output -o --force -f --quiet -q --help -h' ;;
    report) options='--ref --new --custo --sites --jobs -j --rules --decisions --combine --html --json --force -f --allow-swap --quiet -q --help -h' ;;
    access) options='--ref --new --custo --rules --decisions --json --force -f --allow-swap --quiet -q --help -h' ;;
    decide) options='--report --take --with-subtree --decisions --rules-output --output -o --force -f --quiet -q --help -h' ;;
    diff) options='--json --stat --comments --force -f --help -h' ;;
    lines) options='--help -h' ;;
    git-merge) options='--vendor --rules --decisions --clean --help -h' ;;
    git-setup) options='--global --rules --quiet -q --help -h' ;;
    *) return ;;
  esac

  case $prev in
    --output | -o)
      if [[ $command == decide ]]; then
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      else
        _qelmask_masks "$cur"
      fi
      return
      ;;
    --ref | --new | --custo | --sorted-custo)
      _qelmask_masks "$cur"
      return
      ;;
    --rules | --decisions | --html | --json | --report | --rules-output | --combine)
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      return
      ;;
    --sites | --output-dir)
      mapfile -t COMPREPLY < <(compgen -d -- "$cur")
      return
      ;;
    --jobs | -j)
      return
      ;;
    --take)
      mapfile -t COMPREPLY < <(compgen -W 'recommendation alternative' -- "$cur")
      return
      ;;
    --vendor)
      mapfile -t COMPREPLY < <(compgen -W 'theirs ours' -- "$cur")
      return
      ;;
    --fail-on)
      _qelmask_kinds "$cur"
      return
      ;;
  esac

  # --custo of merge and report takes several sites' masks, and --combine
  # several reports: the words after them are more of the same.
  local i last=""
  for ((i = COMP_CWORD - 1; i > 1; i--)); do
    if [[ ${COMP_WORDS[i]} == -* ]]; then
      last=${COMP_WORDS[i]}
      break
    fi
  done

  if [[ $cur == -* ]]; then
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
  elif [[ $last == --custo && ($command == merge || $command == report) ]]; then
    _qelmask_masks "$cur"
  elif [[ $last == --combine ]]; then
    mapfile -t COMPREPLY < <(compgen -f -- "$cur")
  elif [[ $command == strip || $command == check || $command == diff || $command == lines ]]; then
    # strip's merged mask, the masks check takes on their own, and the
    # masks diff compares and lines shows.
    _qelmask_masks "$cur"
  fi
}

complete -o filenames -F _qelmask qelmask
