#!/usr/bin/env bash
# Shows the editor on a virtual display, types some Japanese text into it,
# saves a picture of the screen and closes the editor again.
#
#   tools/screenshot.sh [--dpi N] [OUTPUT.png]    (default build/screenshot.png)
#
# With --dpi N the display runs at N dpi (96, 144, 192, ...): wine's system
# DPI is set in a wine prefix of that DPI's own beside the build tree's, and
# the screen is as much larger.  A second picture, OUTPUT-saveas.png, then
# shows the Save As panel open over the window.
#
# The editor runs from a scratch folder, so it starts with default settings
# and leaves no "tolvane.dat" behind; the wine prefix is the build tree's.
# Prints how long the editor took from process start to its shown window.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

dpi=""
if [ "${1:-}" = "--dpi" ]; then
  dpi=${2:?screenshot: --dpi needs a number}
  [[ "$dpi" =~ ^[0-9]+$ ]] && [ "$dpi" -ge 96 ] || { echo "screenshot: bad DPI '$dpi'" >&2; exit 2; }
  shift 2
fi
out=$(realpath -m "${1:-build/screenshot.png}")
build=$(realpath -m "${TOLVANE_BUILD_DIR:-build/windows}")
text=${TOLVANE_SCREENSHOT_TEXT:-'暗号化テキストエディタ「ミルデア」\n日本語の入力：あいうえお、カタカナ、漢字。\nABC 123 ｱｲｳ'}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset windows -B "$build" >/dev/null
fi
cmake --build "$build" --target Tolvane editor_typist -j2 >/dev/null

scratch=$(mktemp -d)
xvfb_pid=""
editor_pid=""
cleanup() {
  [ -n "$editor_pid" ] && kill "$editor_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

fifo="$scratch/display"
mkfifo "$fifo"
scale=${dpi:-96}
Xvfb -displayfd 9 -screen 0 "$((1024 * scale / 96))x$((768 * scale / 96))x24" -nolisten tcp 9>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r dispno < "$fifo"
export DISPLAY=":$dispno"
export TOLVANE_WINEPREFIX="$build/wineprefix${dpi:+-dpi$dpi}"

cp "$build/editor/Tolvane.exe" "$scratch/"
typist="$build/tests/editor/editor_typist.exe"
# Wakes the prefix (creating it the first time) so the timing below measures
# the editor, not wine's own start.
"$root/cmake/wine-run.sh" "$typist" >/dev/null 2>&1 || true
if [ -n "$dpi" ]; then
  # A prefix of its own per DPI (made by the wake above), so that the tests'
  # prefix keeps 96 dpi.  Wine reads the DPI when its server starts.
  WINEPREFIX="$TOLVANE_WINEPREFIX" WINEDEBUG=-all wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
    /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  WINEPREFIX="$TOLVANE_WINEPREFIX" wineserver -k 2>/dev/null || true
  WINEPREFIX="$TOLVANE_WINEPREFIX" wineserver -w
  "$root/cmake/wine-run.sh" "$typist" >/dev/null 2>&1 || true
fi

# The editor's top-level X window, once mapped.
shown_window() {
  local id
  for id in $(xwininfo -root -children 2>/dev/null | awk '/"tolvane.exe"/ {print $1}'); do
    if xwininfo -id "$id" 2>/dev/null | grep -q 'IsViewable'; then return 0; fi
  done
  return 1
}

start=$(date +%s%N)
"$root/cmake/wine-run.sh" "$scratch/Tolvane.exe" &
editor_pid=$!
for _ in $(seq 1 600); do
  shown_window && break
  sleep 0.02
done
shown=$(date +%s%N)
shown_window || { echo "screenshot: the editor window did not appear" >&2; exit 1; }
echo "screenshot: window shown $(( (shown - start) / 1000000 )) ms after the process started"

"$root/cmake/wine-run.sh" "$typist" type "$text"
sleep 1
import -window root "$out"
echo "screenshot: $out"

if [ -n "$dpi" ]; then
  saveas="${out%.png}-saveas.png"
  "$root/cmake/wine-run.sh" "$typist" command 40004  # ID_FILE_SAVE_AS
  sleep 6  # the panel fills its folder view last
  import -window root "$saveas"
  echo "screenshot: $saveas"
  "$root/cmake/wine-run.sh" "$typist" cancel
  sleep 1
fi

"$root/cmake/wine-run.sh" "$typist" close
wait "$editor_pid" || true
editor_pid=""
