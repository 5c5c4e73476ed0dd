#!/usr/bin/env bash
# Builds everything and runs every test: natively (with sanitizers) and
# cross-compiled for Windows under wine.  Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/setup.sh

# One virtual display for the whole Windows run; the wine launcher would
# otherwise start one per test program.
xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
fifo=$(mktemp -u); mkfifo "$fifo"
Xvfb -displayfd 9 -screen 0 1280x1024x24 -nolisten tcp 9>"$fifo" >/dev/null 2>&1 &
xvfb_pid=$!
read -r dispno < "$fifo"; rm -f "$fifo"
export DISPLAY=":$dispno"

status=0
cmake --workflow --preset linux || status=1
cmake --workflow --preset windows || status=1

if [ $status -ne 0 ]; then echo "test: FAILED"; else echo "test: all passed"; fi
exit $status
