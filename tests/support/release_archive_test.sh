#!/usr/bin/env bash
# The archive a user downloads, made with cpack, unpacked into a fresh folder
# and run from there: FMIWAKER.EXE must write nothing beside itself but
# FMIWAKER.ini.
# Usage: release_archive_test.sh CPACK BUILD_DIR SMOKE_TEST_EXE SAMPLE_GIF
set -euo pipefail
cpack="$1" build="$2" smoke="$3" gif="$4"
run="$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-run.sh"
zip="$(cd "$build" && "$cpack" --config CPackConfig.cmake |
       sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p')"
[ -f "$zip" ] || { echo "cpack made no archive"; exit 1; }
dir="$(mktemp -d /tmp/miwake-release.XXXXXX)"
planted="$(mktemp -d /tmp/miwake-planted.XXXXXX)"
trap 'rm -rf "$dir" "$planted"' EXIT
(cd "$dir" && cmake -E tar xf "$zip")
before="$(ls -A "$dir")"
[ "$before" = "$(printf 'FMIWAKER.EXE\nLICENSE\nmime\nmiwake.exe\nreadme.txt')" ] || { echo "archive holds: $before"; exit 1; }
! grep -qv $'\r$' "$dir/readme.txt" || { echo "readme.txt: a line without CR LF"; exit 1; }
readme="$(iconv -f CP932 -t UTF-8 "$dir/readme.txt")"
grep -q 'ミワケール  Version [0-9]' <<<"$readme" || { echo "readme.txt: not Shift-JIS, or no version"; exit 1; }
# ヘルプ falls back to it, and it tells how to put the program in 送る.
grep -q 'shell:sendto' <<<"$readme" || { echo "readme.txt: no word of the Send To folder"; exit 1; }

MIWAKE_UNPACKED_EXE="$dir/FMIWAKER.EXE" "$run" "$smoke"
after="$(ls -A "$dir")"
[ "$after" = "$(printf 'FMIWAKER.EXE\nFMIWAKER.ini\nLICENSE\nmime\nmiwake.exe\nreadme.txt')" ] ||
  { echo "after the run the folder holds: $after"; exit 1; }

json="$("$run" "$dir/miwake.exe" --json "$gif")"
echo "$json"
grep -q '"code":108,"extension":"gif"' <<<"$json"

# The types beside the program: a GIF named .png is a lie only the database
# knows of.
mime="$(LC_ALL=C ls "$dir/mime" | tr '\n' ' ')"
[ "$mime" = 'COPYING aliases copyright globs2 magic subclasses version ' ] ||
  { echo "mime holds: $(ls "$dir/mime")"; exit 1; }
cp "${gif#Z:}" "$planted/pic.png"
json="$("$run" "$dir/miwake.exe" --mismatches --json "Z:$planted/pic.png")"
echo "$json"
grep -q '"code":108,.*"type":"image/gif","claims":"image/png","rename":{"to":"Z:'"$planted"'/pic.gif"}' <<<"$json"
# And its magic: a WebP (no classic kind) named .jpg.
cp "$(dirname "${gif#Z:}")/python.webp" "$planted/photo.jpg"
json="$("$run" "$dir/miwake.exe" --mismatches --json "Z:$planted/photo.jpg")"
echo "$json"
grep -q '"code":0,.*"type":"image/webp","claims":"image/jpeg","rename":{"to":"Z:'"$planted"'/photo.webp"}' <<<"$json"
