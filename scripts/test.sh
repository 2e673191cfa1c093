#!/usr/bin/env bash
# Builds everything and runs every test: native, then the Windows build
# under Wine.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
scripts/setup.sh

echo "== native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native -j2

echo "== version-resource reader under sanitizers, then fuzzed for ${FUZZ_SECONDS:-60} s"
scripts/fuzz.sh

echo "== Windows build and tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
source scripts/wine-env.sh
xvfb_start
wine_start
trap 'wine_stop; xvfb_stop' EXIT
ctest --preset windows
