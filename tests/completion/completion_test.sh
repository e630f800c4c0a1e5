#!/bin/bash
# Shell completion of msgmake, as a user's shell loads it: the bash script
# registers _msgmake for msgmake, and completing a command line offers the
# options, the words of the options that take words, and file names where a
# file is asked for. With zsh present, its completion function is found and
# registered by compinit.
#
# usage: completion_test.sh SOURCE_DIR
set -u
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
touch 'report.pdf' 'read me.txt' body.html
mkdir pictures
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# shellcheck source=/dev/null
source "$source_dir/completion/msgmake.bash"
case $(complete -p msgmake 2>&1) in
  *"-F _msgmake"*) ;;
  *) fail "loading the script registers no _msgmake for msgmake: $(complete -p msgmake 2>&1)" ;;
esac

# The sorted replies for a command line whose last word is being completed;
# words are given as bash splits them ("--loop=t" comes as --loop, =, t).
replies() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _msgmake
  ((${#COMPREPLY[@]} == 0)) || printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | tr '\n' ' '
}

# command line (words separated by "|") -> the replies expected
while IFS=$'\t' read -r line expected; do
  IFS='|' read -r -a words <<<"$line"
  [ "${line: -1}" = '|' ] && words+=("")  # a last empty word: nothing typed yet
  got=$(replies "${words[@]}")
  [ "$got" = "$expected" ] || fail "'$line': got '$got', want '$expected'"
done <<'CASES'
msgmake|--lo	--loop 
msgmake|--font-	--font-color --font-colour --font-size 
msgmake|--re	--reply-to 
msgmake|--he	--header --help 
msgmake|--loop|	3 4 5 forever once twice 
msgmake|--loop|f	forever 
msgmake|--loop|=|t	twice 
msgmake|--loop=t	twice 
msgmake|-p|	high low normal 
msgmake|--priority|=|	high low normal 
msgmake|--font-size|	1 2 3 4 5 6 7 
msgmake|--text|	- body.html pictures read me.txt report.pdf 
msgmake|-o|	- body.html pictures read me.txt report.pdf 
msgmake|--html|b	body.html 
msgmake|-a|r	read me.txt report.pdf 
msgmake|-i|pic	pictures 
msgmake|--pictures-from|	pictures 
msgmake|-o|m.eml|r	read me.txt report.pdf 
msgmake|-o|m.eml|--|--	
msgmake|--to|	
msgmake|--header|	
CASES

if command -v zsh >/dev/null; then
  registered=$(zsh -f -c "fpath=('$source_dir/completion' \$fpath); autoload -Uz compinit; compinit -u -d '$work/zcompdump'; print -r -- \$_comps[msgmake]" 2>&1)
  [ "$registered" = _msgmake ] || fail "zsh's compinit registers no _msgmake for msgmake: $registered"
fi

[ "$failures" -eq 0 ] || exit 1
echo "completion test passed"
