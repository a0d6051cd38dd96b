#!/bin/bash
# completion.sh FILE: with bash-completion and FILE loaded, bash completes a program after
# "tarvix " and that program's own options after it, or tarvix's own options.
# Not under set -eu: the completion functions are not written for it.
. /usr/share/bash-completion/bash_completion
. "$1"
completes() {  # completes LINE WORD: completing at the end of LINE offers WORD
    read -ra COMP_WORDS <<<"$1"
    COMP_LINE=$1 COMP_POINT=${#1} COMP_CWORD=$((${#COMP_WORDS[@]} - 1)) COMPREPLY=()
    local function=$(complete -p tarvix | sed -n 's/.*-F \([^ ]*\).*/\1/p')
    "$function" tarvix "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}" | grep -qx -- "$2" || { echo "tarvix: '$1' does not offer $2"; exit 1; }
}
completes "tarvix ech" echo
completes "tarvix ls --al" --all
completes "tarvix --v" --version
