#!/usr/bin/env bash
# Builds the two downloads and prints their paths: the archive a Windows user
# unpacks, miwake-<version>-windows.zip, from the Windows preset, and the
# Debian package miwake_<version>_amd64.deb from the native one. BUILD_DIR
# and NATIVE_BUILD_DIR pick other build folders than the presets'.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
scripts/setup.sh
build="${BUILD_DIR:-build/windows}"
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" --target fmiwaker miwake readme
(cd "$build" && cpack --config CPackConfig.cmake) |
  sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p'
native="${NATIVE_BUILD_DIR:-build/native}"
cmake --preset native -B "$native" >/dev/null
cmake --build "$native" --target miwake man_page deb_changelog
(cd "$native" && cpack --config CPackConfig.cmake) |
  sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p'
