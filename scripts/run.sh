#!/usr/bin/env bash
# Builds FMIWAKER.EXE and starts it: on Windows by itself; here under Wine
# with the Japanese locale, on the user's display when there is one, else
# under a private X server, saving a screenshot whose path it prints.
set -euo pipefail
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo"
scripts/setup.sh >&2
cmake --preset windows >/dev/null
cmake --build --preset windows --target fmiwaker >/dev/null
exe="$repo/build/windows/bin/FMIWAKER.EXE"

source scripts/wine-env.sh
if [ -n "${DISPLAY:-}" ]; then
  wine_start
  trap wine_stop EXIT
  wine "$exe" </dev/null
  exit 0
fi

shot="${MIWAKE_SCREENSHOT:-$repo/build/screenshot.png}"
xvfb_start
wine_start
trap 'wine_stop; xvfb_stop' EXIT
wine "$exe" </dev/null >/dev/null 2>&1 &
program=$!
# The window is up once xdotool finds it by its title; allow it to paint.
for _ in $(seq 100); do
  xdotool search --name 'ミワケール' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
import -window root -crop 1024x768+0+0 +repage "$shot"
echo "screenshot: $shot"
# Alt+F4 ends the program the ordinary way, so it saves its position.
xdotool key alt+F4 >/dev/null 2>&1 || true
for _ in $(seq 50); do
  kill -0 "$program" 2>/dev/null || break
  sleep 0.1
done
