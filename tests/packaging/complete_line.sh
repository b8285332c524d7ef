#!/usr/bin/env bash
# Completes one ckl command line as bash does on a machine with bash-completion, in the current
# folder, and prints what is offered, one a line. Usage: complete_line.sh COMPLETION-SCRIPT LINE
set -u
source /usr/share/bash-completion/bash_completion
source "$1"
line=$2
COMP_LINE=$line
COMP_POINT=${#line}
read -ra COMP_WORDS <<<"$line"
[[ $line == *" " ]] && COMP_WORDS+=("")
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
COMPREPLY=()
_ckl ckl "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
[ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}"
