#!/usr/bin/env bash
# Three `miwake --fix` started at once in one folder, each with the default
# journal: each makes a journal of its own and renames its file.
# Usage: journal_names_test.sh MIWAKE
set -euo pipefail
miwake=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
pids=()
for i in 1 2 3; do printf 'text %d\n' "$i" >"memo$i.doc"; done
for i in 1 2 3; do "$miwake" --fix "memo$i.doc" >/dev/null 2>"err$i" & pids+=($!); done
for i in 0 1 2; do wait "${pids[$i]}" || { echo "run $((i + 1)):"; cat "err$((i + 1))"; exit 1; }; done
journals=$(find . -name 'miwake-*.journal' | wc -l)
[ "$journals" -eq 3 ] || { echo "$journals journals for 3 runs"; exit 1; }
[ -f memo1.txt ] && [ -f memo2.txt ] && [ -f memo3.txt ] || { echo "a file not renamed"; exit 1; }
