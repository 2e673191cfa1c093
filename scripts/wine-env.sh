# Wine's environment, sourced by every script that runs Windows programs:
# the project's own prefix, the Japanese locale (so that the ANSI functions
# speak code page 932), and functions that make the prefix, keep one
# wineserver running (each program then starts in a fraction of a second and
# no Wine service holds ctest's output open) and start a private X server.
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${WINEPREFIX:-$repo/build/wine}"
# MIWAKE_WINE_LANG names another locale, for a run on a system of another code page.
export LANG="${MIWAKE_WINE_LANG:-ja_JP.UTF-8}" LC_ALL="${MIWAKE_WINE_LANG:-ja_JP.UTF-8}"
export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installers: nothing here needs them, and they would ask.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

wine_start() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [ ! -f "$WINEPREFIX/.update-timestamp" ]; then
    echo "wine: making the prefix $WINEPREFIX"
    wineboot -i </dev/null >/dev/null 2>&1
  fi
  setsid wineserver -p </dev/null >/dev/null 2>&1 &
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  if [ ! -f "$WINEPREFIX/.miwake-desktop" ]; then
    # Windows live in a virtual desktop: with no window manager, Wine would
    # wait two seconds for each window that is hidden. It also gives them
    # Wine's own frames, as on Windows.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f \
      </dev/null >/dev/null 2>&1
    touch "$WINEPREFIX/.miwake-desktop"
  fi
  if [ ! -f "$WINEPREFIX/.miwake-fonts" ]; then
    # Japanese faces that Windows has are mapped to the IPA fonts, the
    # proportional one for the proportional faces.
    local key='HKCU\Software\Wine\Fonts\Replacements' face
    for face in 'ＭＳ Ｐゴシック' 'MS PGothic' 'MS UI Gothic'; do
      wine reg add "$key" /v "$face" /d 'IPAPGothic' /f </dev/null >/dev/null 2>&1
    done
    for face in 'ＭＳ ゴシック' 'MS Gothic'; do
      wine reg add "$key" /v "$face" /d 'IPAGothic' /f </dev/null >/dev/null 2>&1
    done
    touch "$WINEPREFIX/.miwake-fonts"
  fi
  # Marlett draws the caption buttons; without it they show 0, 1 and r.
  local marlett=/usr/share/wine/fonts/marlett.ttf
  if [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/marlett.ttf" ]; then
    [ -f "$marlett" ] || { echo "wine: $marlett is missing (Debian's fonts-wine)" >&2; return 1; }
    cp "$marlett" "$WINEPREFIX/drive_c/windows/Fonts/"
  fi
}

wine_stop() {
  wineserver -k </dev/null >/dev/null 2>&1 || true
}

# Starts a private X server so that windows can be made without a display
# of the user's; DISPLAY points at it until xvfb_stop.
xvfb_start() {
  local n
  for n in $(seq 90 130); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "xvfb: the X server did not start" >&2
  return 1
}

xvfb_stop() {
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
}
