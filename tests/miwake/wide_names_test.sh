#!/usr/bin/env bash
# miwake.exe under Wine on the names that Windows holds but its ANSI
# functions do not reach: trailing dots and blanks, characters outside code
# page 932, paths past 260 characters; wildcards through cmd.exe; what a
# walk leaves out; device names; a rename refused for sharing.
# Usage: wide_names_test.sh MIWAKE_EXE HOLD_OPEN_EXE
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
exe="$1" hold="$2"
dir="$(mktemp -d /tmp/miwake-wide.XXXXXX)"
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAILED: $*"; exit 1; }
miwake() { wine "$exe" "$@" </dev/null; }
gif=$'GIF89a\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0b\x0c'
win="Z:$dir"

# A name that Win32 would strip of its trailing dot or blank reaches the
# file the listing gave, never its namesake.
mkdir "$dir/dots"
printf '%s' "$gif" >"$dir/dots/ok.gif"
for name in ok.gif. memo. 'x '; do echo text >"$dir/dots/$name"; done
out="$(miwake -r --json "$win/dots")"
echo "$out"
grep -qF '"path":"'"$win"'/dots\\memo.","code":1,' <<<"$out" || fail "memo. is not text"
grep -qF '"path":"'"$win"'/dots\\ok.gif.","code":1,' <<<"$out" || fail "ok.gif. is not text"
grep -qF '"path":"'"$win"'/dots\\ok.gif","code":108,' <<<"$out" || fail "ok.gif is not a GIF"
grep -qF '"path":"'"$win"'/dots\\x ","code":1,' <<<"$out" || fail "'x ' is not text"
miwake -r --fix --journal "$win/dots.journal" "$win/dots" >/dev/null
[ "$(cat "$dir/dots/ok.gif.")" = text ] || fail "the file with a trailing dot was changed"
cmp -s "$dir/dots/ok.gif" <(printf '%s' "$gif") || fail "ok.gif was renamed"

# Names outside code page 932: found, fixed, and shown in JSON as they are;
# in text, where the code page lacks them, as <U+XXXX>.
mkdir "$dir/uni"
names=(😀.doc 한글.doc café.doc ß.doc 〜.doc −.doc 表.doc)
for name in "${names[@]}"; do echo hello >"$dir/uni/$name"; done
out="$(miwake -r --json "$win/uni")"
for name in "${names[@]}"; do
  grep -qF "uni\\\\$name\",\"code\":1," <<<"$out" || fail "$name not identified: $out"
done
text="$(miwake "$win/uni/café.doc" "$win/uni/表.doc" | iconv -f CP932 -t UTF-8)"
grep -qF 'uni/caf<U+00E9>.doc: これはテキスト' <<<"$text" || fail "café in text: $text"
grep -qF 'uni/表.doc: これはテキスト' <<<"$text" || fail "表 in text: $text"
(cd "$dir" && miwake -r --fix --journal uni.journal uni >/dev/null)
for name in "${names[@]}"; do [ -f "$dir/uni/${name%.doc}.txt" ] || fail "$name not renamed"; done

# A tree deeper than 260 characters: a rename at its bottom, undone from
# another folder.
deep="$dir/deep"
for i in 1 2 3 4 5 6; do deep="$deep/$(printf 'folder%02d-%040d' "$i" 0)"; done
mkdir -p "$deep"
echo hello >"$deep/memo.doc"
(( ${#deep} > 300 )) || fail "the tree is not deep enough"
(cd "$dir" && miwake -r --fix --journal deep.journal deep >/dev/null)
[ -f "$deep/memo.txt" ] || fail "the deep file was not renamed"
grep -qF "Z:${deep//\//\\}\\memo.doc" "$dir/deep.journal" || fail "the journal has no whole name"
(cd "$dir/uni" && miwake --undo ../deep.journal >/dev/null)
[ -f "$deep/memo.doc" ] || fail "the deep file was not given its name back"

# Wildcards, expanded by the program in sorted order; a pattern that
# matches nothing is reported.
mkdir "$dir/glob"
for name in b.doc a.doc c.txt; do echo hello >"$dir/glob/$name"; done
out="$(cd "$dir/glob" && wine cmd /c "$(winepath -w "$exe")" '*.doc' 'none*.xyz' 2>&1 </dev/null)" &&
  fail "a pattern that matches nothing passed"
echo "$out"
[ "$(tr -d '\r' <<<"$out" | iconv -f CP932 -t UTF-8)" = "$(printf '%s\n' \
  'a.doc: これはテキスト(TXT)ファイルです。' 'b.doc: これはテキスト(TXT)ファイルです。' \
  'miwake: "none*.xyz": no file matches')" ] ||
  fail "wildcards"
miwake '\\?\'"${win//\//\\}\\glob\\a.doc" >/dev/null || fail "a \\\\?\\ name was refused"

# Left out unless --all, and counted: a version-control folder and a file
# with the system attribute.
mkdir -p "$dir/repo/.git" "$dir/repo/src"
echo hello >"$dir/repo/.git/memo.doc"
echo hello >"$dir/repo/desktop.ini"
echo hello >"$dir/repo/src/memo.doc"
wine attrib +s "$win/repo/desktop.ini" </dev/null >/dev/null
out="$(miwake -r --mismatches --json "$win/repo")"
echo "$out"
grep -qF '"files":1,' <<<"$out" || fail "more than one file walked"
grep -qF '"left_out":{"version_control":1,"system":1,"hidden":0}' <<<"$out" || fail "not counted"
out="$(miwake -r --explain "$win/repo")"
grep -qF 'repo\.git: left out (version-control' <<<"$out" || fail "--explain: $out"
out="$(miwake -r --all --mismatches --json "$win/repo")"
grep -qF '"files":3,' <<<"$out" || fail "--all did not take everything: $out"

# Device names: reported, never opened.
mkdir "$dir/dev"
echo hello >"$dir/dev/CON.txt"
out="$(miwake -r "$win/dev" NUL 2>&1)" && fail "devices passed"
out="${out//$'\r'/}"
[ "$out" = "$(printf '%s\n' "miwake: \"$win/dev\\CON.txt\": a device's name on Windows: not opened" \
  'miwake: "NUL": a device'"'"'s name on Windows: not opened')" ] || fail "devices: $out"

# A file another program holds without delete sharing is not renamed, and
# the message says why.
mkdir "$dir/held"
echo hello >"$dir/held/memo.doc"
coproc holder { wine "$hold" "$win/held/memo.doc"; }
read -r ready <&"${holder[0]}"
[ "${ready%$'\r'}" = held ] || fail "the file was not held"
out="$(miwake --fix --journal "$win/held.journal" "$win/held/memo.doc" 2>&1 >/dev/null)" &&
  fail "a held file was renamed"
exec {holder[1]}>&-
wait
out="${out//$'\r'/}"
[ "$out" = "miwake: \"$win/held/memo.doc\": not renamed: in use by another program" ] ||
  fail "sharing: $out"
echo "all passed"
