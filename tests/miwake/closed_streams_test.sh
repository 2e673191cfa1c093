#!/usr/bin/env bash
# miwake with a standard stream closed or full: no file of its own takes the
# place of a closed one, and lost output is a failure, said on stderr. On a
# terminal, a name's control bytes are shown escaped.
# Usage: closed_streams_test.sh MIWAKE
set -uo pipefail
miwake=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
mkdir "$work/d"
printf 'hello\n' >"$work/d/memo.doc"

# The journal opened while stdout is closed must not receive the report.
"$miwake" -r --fix --journal "$work/j" "$work/d" >&- 2>"$work/err" || fail "fix with stdout closed: status $?"
[ "$(wc -l <"$work/j")" = 2 ] || fail "journal holds more than its pair: $(cat "$work/j")"
[ -f "$work/d/memo.txt" ] || fail "not renamed"
# Nor, with stderr closed, the error lines.
rm "$work/j"
printf 'hello\n' >"$work/d/a.doc"
"$miwake" --fix --journal "$work/j" "$work/d/a.doc" "$work/missing.doc" 2>&- >/dev/null
[ $? = 1 ] || fail "a missing file with stderr closed: not status 1"
[ "$(wc -l <"$work/j")" = 2 ] || fail "journal holds more than its pair: $(cat "$work/j")"

# A full disk on stdout: status 1 and a word on stderr, whatever the mode.
for args in "--json $work/d/memo.txt" "-r --mismatches $work/d" "--version"; do
  # shellcheck disable=SC2086
  "$miwake" $args >/dev/full 2>"$work/err"
  status=$?
  [ $status = 1 ] || fail "$args > /dev/full: status $status"
  grep -q '^miwake: write error on the output' "$work/err" || fail "$args > /dev/full: $(cat "$work/err")"
done
# Under a pseudo-terminal (script(1)), an ESC in a name reaches the screen
# escaped, on stdout and on stderr; into a pipe, as it is.
esc="$work/d/e$(printf '\033')[31mx.doc"
printf 'hello\n' >"$esc"
shown="$(MIWAKE="$miwake" NAME="$esc" script -qec '"$MIWAKE" --mismatches "$NAME" "$NAME.gone"' /dev/null)"
grep -q 'e\\033\[31mx\.doc: ' <<<"$shown" || fail "ESC on the terminal's stdout: $shown"
grep -q 'e\\033\[31mx\.doc\.gone": no such file' <<<"$shown" || fail "ESC on the terminal's stderr: $shown"
piped="$("$miwake" --mismatches "$esc")"
grep -q "$(printf '\033')" <<<"$piped" || fail "ESC escaped into a pipe"
echo ok
