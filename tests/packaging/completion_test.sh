#!/usr/bin/env bash
# Completes ckl command lines as bash does on a machine with bash-completion, and compares what
# is offered. The formats are compared with ckl's table of formats by the ckl tests.
# Usage: completion_test.sh COMPLETION-SCRIPT
set -u
export LC_ALL=C
script=$(realpath "$1")
complete_line=$(dirname "$(realpath "$0")")/complete_line.sh
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1
touch a.ckl b.pdf c.ace d.json notes.txt
mkdir trips

failures=0
# expect LINE OFFERS: what completing LINE (cursor at its end) offers, sorted.
expect() {
    local line=$1 want=$2
    local got
    got=$(bash "$complete_line" "$script" "$line" | sort | paste -sd ' ')
    if [[ $got != "$want" ]]; then
        echo "FAIL: '$line' offers '$got', not '$want'"
        failures=$((failures + 1))
    fi
}

expect "ckl " "--help --version check convert json print rewrite show"
expect "ckl c" "check convert"
expect "ckl show " "a.ckl trips"
expect "ckl check a.ckl " "a.ckl trips"
expect "ckl show --" "--help"
expect "ckl print a.ckl -o " "b.pdf trips"
expect "ckl print a.ckl --page " "a4 a5 kneeboard letter"
expect "ckl print a.ckl --columns " "1 2 3 4"
expect "ckl print a.ckl --start " "below column page"
expect "ckl print a.ckl --" "--columns --cover --font-size --group-pages --help --margins --orientation --output --page --start"
expect "ckl convert a.ckl out.txt --width " ""
expect "ckl convert a.ckl out.txt --" "--from --help --to --width"

echo "$failures failed"
[ "$failures" -eq 0 ]
