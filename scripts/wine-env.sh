# Sourced by the scripts that run Windows programs: makes the project's Wine
# prefix if needed and keeps one wineserver running, so each program starts
# in a fraction of a second and no Wine service holds ctest's output open.
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$repo/build/wine}"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

wine_start() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [ ! -f "$WINEPREFIX/.update-timestamp" ]; then
    echo "wine: making the prefix $WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1
  fi
  setsid wineserver -p </dev/null >/dev/null 2>&1 &
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
}

wine_stop() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}
