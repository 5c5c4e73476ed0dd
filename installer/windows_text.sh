#!/usr/bin/env bash
# Copies a UTF-8 text file for Windows readers: byte-order mark and CR LF
# line ends, so that every version of Notepad shows the Japanese text.
# Usage: windows_text.sh IN OUT
set -euo pipefail
{ printf '\357\273\277'; sed 's/\r*$/\r/' "$1"; } > "$2"
