#!/usr/bin/env bash
# Whole `miwake --fix` runs and their undo, as the journal makes them:
# a journal inside the walked tree, full names from any way of naming the
# tree, the default journal, none when nothing is renamed, a journal that
# runs out of room in the middle, the undo's JSON, and a tree deeper than
# the folders a walk keeps open. Usage: journal_runs_test.sh MIWAKE
set -euo pipefail
miwake=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$*"; exit 1; }
# Text under names that claim Word: each one lies.
texts() { mkdir -p "$1"; for i in $(seq "$2"); do echo "text $i" >"$1/file$i.doc"; done; }
count() { find "$1" -name "*.$2" | wc -l; }

# The journal lies under a lying name in a folder walked after the files:
# the run leaves it alone, or the undo would find nothing. (One job: no
# folder is listed ahead of the first rename.)
texts "$work/t1" 3
mkdir "$work/t1/zz"
"$miwake" -r --fix --jobs 1 --journal "$work/t1/zz/j.doc" "$work/t1" >/dev/null
[ -f "$work/t1/zz/j.doc" ] || fail "the journal inside the tree was renamed"
"$miwake" --undo "$work/t1/zz/j.doc" >/dev/null
[ "$(count "$work/t1" txt)" -eq 0 ] || fail "the journal inside the tree undid nothing"

# A tree named with ./, ../ and //: the journal holds full names without the
# . steps and doubled slashes (".." stays: past a symbolic link it is not the
# name's parent), and an undo from another folder finds them.
texts "$work/t2/sub" 3
(cd "$work" && "$miwake" -r --fix --journal j2 ./t2/../t2//sub/ >/dev/null)
tail -n +2 "$work/j2" | cut -f1,2 | tr '\t' '\n' | while read -r name; do
  [[ $name == "$work"/t2/../t2/sub/file*.* && $name != *//* && $name != */./* ]] ||
    fail "not a full name in the journal: $name"
done
(cd / && "$miwake" --undo "$work/j2" >/dev/null)
[ "$(count "$work/t2" doc)" -eq 3 ] || fail "the undo from / gave back $(count "$work/t2" doc) of 3"

# Without --journal the journal is made in the current folder, and a run
# with nothing to rename makes none.
mkdir "$work/here"
texts "$work/t3" 2
(cd "$work/here" && "$miwake" -r --fix "$work/t3" >/dev/null)
journals=("$work"/here/miwake-*.journal)
[ ${#journals[@]} -eq 1 ] && [ -f "${journals[0]}" ] || fail "no default journal: ${journals[*]}"
"$miwake" --undo "${journals[0]}" >/dev/null
[ "$(count "$work/t3" doc)" -eq 2 ] || fail "the default journal undid $(count "$work/t3" doc) of 2"
mkdir "$work/t3b" "$work/there"
echo text >"$work/t3b/right.txt"
(cd "$work/there" && "$miwake" -r --fix "$work/t3b" >/dev/null)
[ -z "$(ls "$work/there")" ] || fail "a run with nothing to rename left $(ls "$work/there")"

# The journal's disk fills before its header (no room) or in the middle (a
# 1 KiB file size limit): the run stops with status 1 and a word on stderr,
# having renamed only what it recorded; the undo gives every name back, and
# its JSON says so.
for room in 0 1; do
  tree=$work/t4-$room journal=$work/j4-$room
  texts "$tree" 40
  # Both streams go through pipes, which the limit does not reach; with
  # pipefail the status is miwake's.
  status=0
  { (trap '' XFSZ; ulimit -f $room; exec "$miwake" -r --fix --journal "$journal" "$tree") \
    2>&1 >&3 | cat >"$work/err4"; } 3>&1 | cat >"$work/out4" || status=$?
  renamed=$(count "$tree" txt)
  [ "$status" -eq 1 ] || fail "room $room: exit status $status"
  if [ $room -eq 0 ]; then
    [ "$renamed" -eq 0 ] && [ ! -s "$work/out4" ] && grep -q ': journal not made: file too large' "$work/err4" ||
      fail "no room: $renamed renamed; $(cat "$work/out4" "$work/err4")"
    continue
  fi
  [ "$(grep -c '\.doc: ' "$work/out4")" -eq $((renamed + 1)) ] ||
    fail "the run went on: $(cat "$work/out4")"
  grep -q 'not renamed: the journal could not be written' "$work/err4" || fail "$(cat "$work/err4")"
  [ "$renamed" -gt 0 ] && [ "$renamed" -lt 40 ] || fail "room $room: $renamed of 40 renamed"
  "$miwake" --json --undo "$journal" >"$work/undo4"
  [ "$(grep -c '"outcome":"restored"}$' "$work/undo4")" -eq "$renamed" ] ||
    fail "the undo's JSON: $(head -3 "$work/undo4")"
  grep -q "^{\"original\":\"$tree/file1.doc\",\"renamed\":\"$tree/file1.txt\"," "$work/undo4" ||
    fail "the undo's JSON names: $(head -3 "$work/undo4")"
  [ "$(count "$tree" doc)" -eq 40 ] || fail "after the undo $(count "$tree" doc) of 40"
done

# Deeper than the folders the walk keeps open: every level is reached.
deep="$work/t5"
mkdir "$deep"
for level in $(seq 40); do
  deep="$deep/d$level"
  mkdir "$deep"
  case $level in 1 | 33 | 40) echo text >"$deep/lies.doc" ;; esac
done
[ "$("$miwake" -r --mismatches "$work/t5" | grep -c 'lies.doc:')" -eq 3 ] ||
  fail "a deep tree: not every level reached"
echo "journal runs: all as promised"
