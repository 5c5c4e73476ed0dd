#!/usr/bin/env bash
# Builds the editor for Windows and starts it under wine, with the Japanese
# locale and the build tree's own wine prefix.
#
#   tools/run.sh [DOCUMENT]
#
# TOLVANE_BUILD_DIR picks the build tree (default build/windows).  Without a
# DISPLAY the editor runs on a virtual one that nobody sees; use
# tools/screenshot.sh to look at it then.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh

build=${TOLVANE_BUILD_DIR:-build/windows}
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake --preset windows -B "$build" >/dev/null
fi
cmake --build "$build" --target Tolvane -j2
exec cmake/wine-run.sh "$build/editor/Tolvane.exe" "$@"
