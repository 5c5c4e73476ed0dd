#!/usr/bin/env bash
# Runs a Windows program under wine the way our tests expect:
#  - a wine prefix of its own inside the build tree (created on first use),
#  - a Japanese locale, so that the ANSI code page is 932 as on the target,
#  - no wine debug chatter,
#  - a virtual X display when none is given.
# Usage: wine-run.sh PROGRAM.exe [ARGS...]
set -u

find_build_root() {
  local d
  d=$(dirname "$(readlink -f "$1")")
  while [ "$d" != "/" ]; do
    [ -f "$d/CMakeCache.txt" ] && { echo "$d"; return; }
    d=$(dirname "$d")
  done
  dirname "$(readlink -f "$1")"
}

program=$1; shift
root=$(find_build_root "$program")
export WINEPREFIX=${TOLVANE_WINEPREFIX:-$root/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEARCH=win64

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; }
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r dispno < "$fifo" || dispno=""
  rm -f "$fifo"
  if [ -z "$dispno" ]; then
    # Without this the program would fail later with a puzzling display error.
    echo "wine-run.sh: Xvfb did not start" >&2
    exit 1
  fi
  export DISPLAY=":$dispno"
fi

# Creating a prefix takes tens of seconds; do it once, one process at a time.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 7
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      wineboot -i >/dev/null 2>&1
      wineserver -w
    fi
  ) 7>"$WINEPREFIX.lock"
fi

# Once per prefix:
#  - the prefix has none of the Japanese Windows faces that menus, dialogs and
#    the editor ask for; name the Noto CJK faces in their place;
#  - the virtual display has no window manager: unmanaged top-level windows
#    get their frames drawn by wine, and hiding or destroying one no longer
#    waits two seconds for a window manager that never answers;
#  - wine draws the caption buttons with its Marlett font, which a new prefix
#    does not pick up from the fonts-wine package by itself.
marker="$WINEPREFIX/.tolvane-settings-2"
if [ ! -f "$marker" ]; then
  (
    flock 7
    if [ ! -f "$marker" ]; then
      reg=$(mktemp --suffix=.reg)
      printf '\xff\xfe' > "$reg"  # UTF-16LE byte-order mark
      {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
        for face in "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2" "MS PGothic" \
                    "ＭＳ Ｐゴシック" "ＭＳ ＵＩ ゴシック"; do
          printf '"%s"="Noto Sans CJK JP"\r\n' "$face"
        done
        for face in "MS Gothic" "ＭＳ ゴシック" "FixedSys"; do
          printf '"%s"="Noto Sans Mono CJK JP"\r\n' "$face"
        done
        printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"="N"\r\n'
      } | iconv -f UTF-8 -t UTF-16LE >> "$reg"
      wine reg import "$(winepath -w "$reg")" >/dev/null 2>&1 && touch "$marker"
      rm -f "$reg"
      if [ -f /usr/share/wine/fonts/marlett.ttf ]; then
        cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
      fi
    fi
  ) 7>"$WINEPREFIX.lock"
fi

wine "$program" "$@"
rc=$?
exit $rc
