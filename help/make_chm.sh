#!/usr/bin/env bash
# Compiles the manual: make_chm.sh SOURCE_DIR OUTPUT.chm
# The pages are kept in UTF-8; the help viewer reads the contents and index
# files in the help file's own code page (Japanese, 932), so every file is
# converted, and its charset declaration with it, before compiling.
#
# The same pages give the same file: the compiler runs with a fixed
# environment and without address randomisation (it writes a few bytes of
# uninitialised memory that otherwise change from run to run), and its build
# times are set to SOURCE_DATE_EPOCH (or 0) afterwards.
set -euo pipefail
src=$1 out=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$src"/*.html "$src"/*.hhc "$src"/*.hhk "$src"/*.hhp "$src"/*.css; do
  sed 's/charset=utf-8/charset=Shift_JIS/' "$f" | iconv -f UTF-8 -t CP932 > "$work/$(basename "$f")"
done
if ! (cd "$work" && env -i PATH=/usr/bin:/bin setarch "$(uname -m)" -R chmcmd tolvane.hhp >"$work/log" 2>&1); then
  cat "$work/log" >&2
  exit 1
fi
python3 "$(dirname "$0")/pin_chm_times.py" "$work/Tolvane.chm" "${SOURCE_DATE_EPOCH:-0}"
cp "$work/Tolvane.chm" "$out"
