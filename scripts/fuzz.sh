#!/usr/bin/env bash
# Builds fuzz/ with clang into build/fuzz, runs the sanitized tests, then the
# fuzzer for FUZZ_SECONDS (default 60). Any failure ends the script non-zero.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/fuzz"
seconds="${FUZZ_SECONDS:-60}"

missing=()
for package in clang-14 libclang-rt-14-dev; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
if ((${#missing[@]} > 0)); then
  sudo=()
  [[ "$(id -u)" -ne 0 ]] && sudo=(sudo)
  "${sudo[@]}" apt-get install -y "${missing[@]}"
fi

cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14
cmake --build "$build"

"$build/pe_version_sanitized_tests"

corpus="$build/corpus"
mkdir -p "$corpus" "$build/artifacts"
"$build/pe_version_seeds" "$corpus"
"$build/pe_version_fuzz" "$corpus" \
  -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 -timeout=10 \
  -artifact_prefix="$build/artifacts/" -print_final_stats=1
