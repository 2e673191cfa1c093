#!/usr/bin/env bash
# `miwake -r --fix` killed at several moments of a run: afterwards every file
# is under its old or its new name with its content, and --undo gives every
# old name back. Usage: fix_killed_test.sh MIWAKE
set -euo pipefail
miwake=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
count=3000

for delay in 0.05 0.4 1.5; do
  tree=$work/tree
  rm -rf "$tree" "$work"/*.journal
  mkdir -p "$tree/a" "$tree/b"
  for i in $(seq $count); do printf 'text file %d\n' "$i" >"$tree/$((i % 2 ? 1 : 0))$i.doc"; done
  mv "$tree"/1*.doc "$tree/a/"
  mv "$tree"/0*.doc "$tree/b/"
  (cd "$tree" && find . -type f -printf '%P\n' | sed 's/\.doc$//' | sort) >"$work/stems"
  (cd "$tree" && find . -type f -exec cat {} + | sort) >"$work/contents"

  "$miwake" -r --fix --jobs 2 --journal "$work/fix.journal" "$tree" >/dev/null 2>&1 &
  sleep "$delay"
  kill -9 $! 2>/dev/null || true
  wait $! 2>/dev/null || true

  renamed=$(find "$tree" -name '*.txt' | wc -l)
  # Each file under exactly one of its two names, with its content.
  (cd "$tree" && find . -type f -printf '%P\n' | sed 's/\.\(doc\|txt\)$//' | sort) |
    cmp -s - "$work/stems" || { echo "delay $delay: a name is lost or doubled"; exit 1; }
  (cd "$tree" && find . -type f -exec cat {} + | sort) | cmp -s - "$work/contents" ||
    { echo "delay $delay: a content changed"; exit 1; }

  if [ -f "$work/fix.journal" ]; then
    "$miwake" --undo "$work/fix.journal" >/dev/null 2>&1 || true
  fi
  left=$(find "$tree" -name '*.txt' | wc -l)
  [ "$left" -eq 0 ] || { echo "delay $delay: $left files not given back"; exit 1; }
  echo "killed after $delay s: $renamed of $count renamed, all given back"
done
