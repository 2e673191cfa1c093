#!/usr/bin/env bash
# Builds the program and runs it. Until the main window exists this shows
# the miwake tool at work: natively on the given files (or on a few sample
# files it makes), then the Windows build of the same tool under Wine.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
scripts/setup.sh >&2
cmake --preset native >/dev/null && cmake --build --preset native >/dev/null
cmake --preset windows >/dev/null && cmake --build --preset windows --target miwake >/dev/null

files=("$@")
if ((${#files[@]} == 0)); then
  samples="$repo/build/samples"
  mkdir -p "$samples"
  printf 'これはメモです。\r\n' >"$samples/memo.doc"
  printf 'GIF89a\x01\x00\x01\x00\x80\x00\x00' >"$samples/photo.txt"
  printf 'MZ\x90\x00\x03\x00\x00\x00\x04\x00' >"$samples/tool.dll"
  printf 'RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00' >"$samples/sound.bin"
  cp "$repo/tests/data/real/office/wexl_Chart1.xls" "$samples/chart.dat" 2>/dev/null || true
  files=("$samples"/*)
fi

echo "== miwake (native)"
build/native/src/miwake "${files[@]}" || true
echo "== miwake.exe (Windows build, under Wine)"
source scripts/wine-env.sh
wine_start
trap wine_stop EXIT
winfiles=()
for f in "${files[@]}"; do winfiles+=("Z:$(realpath "$f" | tr / '\\')"); done
wine build/windows/src/miwake.exe "${winfiles[@]}" | iconv -f CP932 -t UTF-8 || true
