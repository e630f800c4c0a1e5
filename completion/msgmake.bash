# Bash completion of msgmake's options: the options themselves, the words of
# --loop, --priority, --font-size and --charset, and file names where a file is asked
# for (standard input or output as "-" where it may stand), folders where a
# folder is. Works with or
# without the bash-completion package.

# The common character sets; --charset takes their aliases too.
_msgmake_charsets="UTF-8 UTF-16 UTF-16LE UTF-16BE windows-1250 windows-1251 windows-1252 ISO-8859-1
    ISO-8859-2 ISO-8859-15 KOI8-R Shift_JIS EUC-JP GB18030 GBK Big5 EUC-KR"

_msgmake_files() {
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY+=($(compgen -f -- "$1"))
}

_msgmake_folders() {
    local IFS=$'\n'
    compopt -o filenames 2>/dev/null
    COMPREPLY+=($(compgen -d -- "$1"))
}

_msgmake() {
    local cur=${COMP_WORDS[COMP_CWORD]} prev=""
    ((COMP_CWORD > 0)) && prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    # "--option=value": split at "=" by bash (COMP_WORDBREAKS), or one word.
    if [[ $cur == "=" ]]; then
        cur=""
    elif [[ $prev == "=" ]] && ((COMP_CWORD > 1)); then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    elif [[ $cur == --*=* ]]; then
        prev=${cur%%=*}
        cur=${cur#*=}
    fi
    # After "--" every word is a file to attach.
    local i
    for ((i = 1; i < COMP_CWORD; i++)); do
        [[ ${COMP_WORDS[i]} == "--" ]] && { _msgmake_files "$cur"; return; }
    done
    case $prev in
        -o | --output | --text | --html | --markdown)
            COMPREPLY=($(compgen -W "-" -- "$cur"))
            _msgmake_files "$cur"
            return ;;
        -a | --attach | -i | --image | --sound | --signature)
            _msgmake_files "$cur"
            return ;;
        --pictures-from)
            _msgmake_folders "$cur"
            return ;;
        --loop)
            COMPREPLY=($(compgen -W "once twice 3 4 5 forever" -- "$cur"))
            return ;;
        -p | --priority)
            COMPREPLY=($(compgen -W "high normal low" -- "$cur"))
            return ;;
        --font-size)
            COMPREPLY=($(compgen -W "1 2 3 4 5 6 7" -- "$cur"))
            return ;;
        --charset)
            COMPREPLY=($(compgen -W "$_msgmake_charsets" -- "$cur"))
            return ;;
        -t | --to | -c | --cc | -b | --bcc | -s | --subject | --from | --reply-to | --header | --name | \
        --background | --font | --font-color | --font-colour)
            return ;;  # free text
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "--output --to --cc --bcc --subject --from --reply-to --header --text --html
            --markdown --charset --signature --name --attach --image --pictures-from --sound --loop --priority --background --font --font-color --font-colour --font-size
            --open --dry-run --json --no-config --help --version -o -t -c -b -s -a -i -p -h --" -- "$cur"))
    else
        _msgmake_files "$cur"  # a file to attach
    fi
}

complete -F _msgmake msgmake
