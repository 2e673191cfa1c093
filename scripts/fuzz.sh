#!/usr/bin/env bash
# Builds fuzz/ with clang into build/fuzz, runs the sanitized tests, then each
# fuzzer for FUZZ_SECONDS (default 60). Any failure ends the script non-zero.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/fuzz"
seconds="${FUZZ_SECONDS:-60}"

"$root/scripts/setup.sh"
cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$build"

"$build/sanitized_tests"

# The seeds: the stored PE samples and the real files.
data="$root/tests/data"
mkdir -p "$build/corpus/pe_version_fuzz" "$build/corpus/first_block_fuzz" \
  "$build/corpus/magic_fuzz" "$build/artifacts"
cp "$data"/pe-samples/*.dll "$data"/pe-samples/*.block "$data"/real/pe/* \
  "$build/corpus/pe_version_fuzz/"
find "$data/real" -type f ! -name '*.tsv' -exec cp {} "$build/corpus/first_block_fuzz/" \;
find "$data/real" -type f ! -name '*.tsv' -size -20k -exec cp {} "$build/corpus/magic_fuzz/" \;

# The name search starts at offset 2080 and reads some 310 KiB at a time, so
# its inputs may be long enough to cross one read.
# The magic rules of the database reach some 19 KiB into a file.
for target in pe_version_fuzz:65536 first_block_fuzz:400000 magic_fuzz:32768; do
  name="${target%%:*}"
  echo "== fuzzing $name for $seconds s"
  "$build/$name" "$build/corpus/$name" \
    -max_total_time="$seconds" -rss_limit_mb=2048 -max_len="${target#*:}" -timeout=10 \
    -artifact_prefix="$build/artifacts/$name-" -print_final_stats=1
done
