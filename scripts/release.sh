#!/usr/bin/env bash
# Builds the archive a Windows user downloads, miwake-<version>-windows.zip,
# from the Windows preset, and prints its path. BUILD_DIR picks another
# build folder than the preset's.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
scripts/setup.sh
build="${BUILD_DIR:-build/windows}"
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target fmiwaker miwake readme
(cd "$build" && cpack --config CPackConfig.cmake) |
  sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p'
