#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix, with the
# environment of wine-env.sh (ctest's emulator for the Windows build).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec wine "$@"
