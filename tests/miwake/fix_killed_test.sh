#!/usr/bin/env bash
# `miwake -r --fix` killed at several moments of a run, each seen in its
# journal (a header, then a line written before each rename): afterwards
# every file is under its old or its new name with its content, and --undo
# gives every old name back. Usage: fix_killed_test.sh MIWAKE
set -euo pipefail
miwake=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
count=3000

for lines in 3 1000 2500; do
  tree=$work/tree
  journal=$work/fix.journal
  rm -rf "$tree" "$journal"
  mkdir -p "$tree/a" "$tree/b"
  for i in $(seq $count); do printf 'text file %d\n' "$i" >"$tree/$((i % 2 ? 1 : 0))$i.doc"; done
  mv "$tree"/1*.doc "$tree/a/"
  mv "$tree"/0*.doc "$tree/b/"
  (cd "$tree" && find . -type f -printf '%P\n' | sed 's/\.doc$//' | sort) >"$work/stems"
  (cd "$tree" && find . -type f -exec cat {} + | sort) >"$work/contents"

  "$miwake" -r --fix --jobs 2 --journal "$journal" "$tree" >/dev/null 2>&1 &
  run=$!
  until [ "$(cat "$journal" 2>/dev/null | wc -l)" -ge "$lines" ]; do
    kill -0 $run 2>/dev/null || { echo "the run ended before its journal had $lines lines"; exit 1; }
  done
  kill -9 $run
  wait $run 2>/dev/null || true

  renamed=$(find "$tree" -name '*.txt' | wc -l)
  [ "$renamed" -gt 0 ] && [ "$renamed" -lt $count ] ||
    { echo "at $lines lines: $renamed of $count renamed: the kill came outside the run"; exit 1; }
  # Each file under exactly one of its two names, with its content.
  (cd "$tree" && find . -type f -printf '%P\n' | sed 's/\.\(doc\|txt\)$//' | sort) |
    cmp -s - "$work/stems" || { echo "at $lines lines: a name is lost or doubled"; exit 1; }
  (cd "$tree" && find . -type f -exec cat {} + | sort) | cmp -s - "$work/contents" ||
    { echo "at $lines lines: a content changed"; exit 1; }

  "$miwake" --undo "$journal" >/dev/null 2>&1 || true
  left=$(find "$tree" -name '*.txt' | wc -l)
  [ "$left" -eq 0 ] || { echo "at $lines lines: $left files not given back"; exit 1; }
  echo "killed at $lines journal lines: $renamed of $count renamed, all given back"
done
