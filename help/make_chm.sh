#!/usr/bin/env bash
# Compiles the manual: make_chm.sh SOURCE_DIR OUTPUT.chm
# The pages are kept in UTF-8; the help viewer reads the contents and index
# files in the help file's own code page (Japanese, 932), so every file is
# converted, and its charset declaration with it, before compiling.
set -euo pipefail
src=$1 out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$src"/*.html "$src"/*.hhc "$src"/*.hhk "$src"/*.hhp "$src"/*.css; do
  sed 's/charset=utf-8/charset=Shift_JIS/' "$f" | iconv -f UTF-8 -t CP932 > "$work/$(basename "$f")"
done
if ! (cd "$work" && chmcmd tolvane.hhp >"$work/log" 2>&1); then cat "$work/log" >&2; exit 1; fi
cp "$work/Tolvane.chm" "$out"
