#!/usr/bin/env bash
# Builds the native benchmark if needed and runs it; extra arguments go to
# the benchmark (Google Benchmark flags, --files=N, --large_mib=N).
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"

scripts/setup.sh >&2

# Only the benchmark's target: the rest of the tree need not build for it.
[[ -f build/native/build.ninja ]] || cmake --preset native >&2
cmake --build --preset native --target miwake_bench >&2

exec build/native/bench/miwake_bench "$@"
