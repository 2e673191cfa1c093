#!/usr/bin/env bash
# Gives the Wine prefix the dialog tests' two drive letters, or takes them
# away: r: a ready drive on a scratch folder, q: a floppy drive without its
# medium (listed, but not ready). Wine gives a drive the type its registry
# names only when the drive's link is there as the wineserver starts, so the
# server is restarted once the links are made.
# Wine's own output goes to a log, shown when a step fails: a Wine process
# left holding ctest's output would keep the test from ending.
# Usage: wine_test_drives.sh make|remove FOLDER
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
devices="$WINEPREFIX/dosdevices"
folder="$2"
if [ "$1" != make ]; then
  rm -f "$devices/q:" "$devices/r:"
  rm -rf "$folder"
  exit 0
fi
mkdir -p "$folder/r" "$devices"
ln -sfn "$folder/r" "$devices/r:"
ln -sfn "$folder/no-medium" "$devices/q:"
log="$folder/wine.log"
trap 'echo "wine_test_drives: failed; Wine said:" >&2; cat "$log" >&2' ERR
wine reg add 'HKLM\Software\Wine\Drives' /v q: /d floppy /f </dev/null >"$log" 2>&1
wineserver -k </dev/null >>"$log" 2>&1 || true  # none may be running
wineserver -w </dev/null >>"$log" 2>&1
# Detached as wine_start does.
setsid wineserver -p </dev/null >>"$log" 2>&1 &
wine cmd /c exit </dev/null >>"$log" 2>&1
