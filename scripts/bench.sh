#!/usr/bin/env bash
# Builds the native benchmark if needed and runs it; extra arguments go to
# the benchmark (Google Benchmark flags, --files=N, --large_mib=N).
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

missing=()
for package in libbenchmark-dev libmagic-dev; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if ((${#missing[@]})); then
  sudo=()
  [[ $(id -u) -eq 0 ]] || sudo=(sudo)
  echo "== installing ${missing[*]}"
  # A fresh machine may have no package lists yet.
  "${sudo[@]}" apt-get install -y "${missing[@]}" ||
    { "${sudo[@]}" apt-get update && "${sudo[@]}" apt-get install -y "${missing[@]}"; }
fi

# Only the benchmark's target: the rest of the tree need not build for it.
[[ -f build/native/build.ninja ]] || cmake --preset native >&2
cmake --build --preset native --target miwake_bench >&2

exec build/native/bench/miwake_bench "$@"
