#!/usr/bin/env bash
# After Lock, neither the password, nor the document's key, nor the text may
# be left in the editor's memory.  The real Tolvane.exe runs under wine,
# driven by lock_scan_driver.exe; this side finds the editor's Linux process
# and reads its memory with memscan.py, once while the document is open (the
# typed marker must be found there, or the scan proves nothing) and once
# after Lock (nothing may be found).
#
# Usage: lock_scan_test.sh WINE_RUN DRIVER_EXE TOLVANE_EXE MEMSCAN_PY
set -u
wine_run=$1 driver=$2 tolvane=$3 memscan=$4

# Typed one character at a time; each must be found only where it is typed.
password='錠ﾃｽﾄQz7pw'
marker='秘密マーカーXq5本文'

scratch=$(mktemp -d /tmp/lockscan.XXXXXX)
driver_pid=""
cleanup() {
  [ -n "$driver_pid" ] && kill "$driver_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT
cp "$tolvane" "$scratch/Tolvane.exe"

"$wine_run" "$driver" "$scratch" "$password" "$marker" >"$scratch/driver.log" 2>&1 &
driver_pid=$!

failed() {
  echo "lock_scan_test: $1"
  cat "$scratch/driver.log"
  exit 1
}

wait_for_file() {
  for _ in $(seq 1200); do
    [ -e "$scratch/$1" ] && return 0
    kill -0 "$driver_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# The editor's Linux process: its command line names Tolvane.exe inside this
# test's own scratch folder (the driver's names only the folder).
editor_pid() {
  local name dir cmd
  name=$(basename "$scratch")
  for dir in /proc/[0-9]*; do
    cmd=$(tr '\0' ' ' <"$dir/cmdline" 2>/dev/null) || continue
    case "$cmd" in
      *"$name"*Tolvane.exe*) echo "${dir#/proc/}"; return 0 ;;
    esac
  done
  return 1
}

scan() {
  python3 "$memscan" "$1" \
    "password:utf16:$password" "password:cp932:$password" "key:sha256-cp932:$password" \
    "marker:utf16:$marker" "marker:cp932:$marker"
}

wait_for_file stage-unlocked || failed "the document never opened"
pid=$(editor_pid) || failed "no editor process found"
open_scan=$(scan "$pid") || failed "the scan failed"
echo "open:"; echo "$open_scan"
echo "$open_scan" | grep -q '^marker:utf16 [1-9]' || failed "the marker is not seen while open: the scan proves nothing"
touch "$scratch/go-lock"

wait_for_file stage-locked || failed "the document never locked"
locked_scan=$(scan "$pid") || failed "the scan failed"
echo "locked:"; echo "$locked_scan"
touch "$scratch/go-exit"
wait "$driver_pid"
driver_status=$?
driver_pid=""
[ "$driver_status" -eq 0 ] || failed "the driver failed ($driver_status)"

if echo "$locked_scan" | grep -qv ' 0$'; then
  failed "secrets left in memory after Lock"
fi
echo "lock_scan_test: nothing left after Lock"
