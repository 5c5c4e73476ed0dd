#!/usr/bin/env bash
# After Lock, and after File > New has replaced a document, neither the
# password, nor the document's key, nor the text may be left in the editor's
# memory.  The real Tolvane.exe runs under wine, driven by
# lock_scan_driver.exe; this side finds the editor's Linux process and reads
# its memory with memscan.py, once while the document is open (the typed
# marker must be found there, or the scan proves nothing), once after Lock
# and once after New (nothing may be found).  Passwords of 5, 13 and 40 bytes
# (held inside a short string, and on the heap), classic and strong
# documents; each looked for in UTF-16, the code page and UTF-8, whole and
# with its first or last byte missing.
#
# Usage: lock_scan_test.sh WINE_RUN DRIVER_EXE TOLVANE_EXE MEMSCAN_PY
set -u
wine_run=$1 driver=$2 tolvane=$3 memscan=$4

# Typed one character at a time; each must be found only where it is typed.
marker='秘密マーカーXq5本文'
cases=(
  "Qz7pw classic"
  "錠ﾃｽﾄQz7pw鍵x strong"
  "長い合言葉ﾃｽﾄ0123456789abcdefghijKLMnopq classic"
)

driver_pid=""
scratch=""
cleanup() {
  [ -n "$driver_pid" ] && kill "$driver_pid" 2>/dev/null
  [ -n "$scratch" ] && rm -rf "$scratch"
}
trap cleanup EXIT

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
# case's own scratch folder (the driver's names only the folder).
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
  local patterns=() enc cut
  for enc in utf16 cp932 utf8; do
    for cut in "" -first -last; do
      patterns+=("password:$enc$cut:$password" "marker:$enc$cut:$marker")
    done
  done
  # A strong document's key comes from Argon2id, which this side cannot
  # compute; its password is looked for all the same.
  [ "$format" = classic ] && patterns+=("key:sha256-cp932:$password")
  python3 "$memscan" "$1" "${patterns[@]}"
}

# Scans at stage $1 and lets the driver go on with $2; what was found is in
# $scan_result.
scan_at() {
  wait_for_file "$1" || failed "the driver never reached $1"
  scan_result=$(scan "$pid") || failed "the scan failed"
  echo "$1:"; echo "$scan_result"
  touch "$scratch/$2"
}

for c in "${cases[@]}"; do
  read -r password format <<<"$c"
  scratch=$(mktemp -d /tmp/lockscan.XXXXXX)
  cp "$tolvane" "$scratch/Tolvane.exe"
  "$wine_run" "$driver" "$scratch" "$password" "$marker" "$format" >"$scratch/driver.log" 2>&1 &
  driver_pid=$!

  wait_for_file stage-unlocked || failed "the document never opened"
  pid=$(editor_pid) || failed "no editor process found"
  scan_at stage-unlocked go-lock
  echo "$scan_result" | grep -q '^marker:utf16 [1-9]' ||
    failed "the marker is not seen while open: the scan proves nothing"
  scan_at stage-locked go-new
  locked_scan=$scan_result
  scan_at stage-new go-exit
  new_scan=$scan_result
  wait "$driver_pid"
  driver_status=$?
  driver_pid=""
  [ "$driver_status" -eq 0 ] || failed "the driver failed ($driver_status)"
  echo "$locked_scan" | grep -qv ' 0$' && failed "secrets left in memory after Lock ($format, $password)"
  echo "$new_scan" | grep -qv ' 0$' && failed "secrets left in memory after New ($format, $password)"
  echo "lock_scan_test: nothing left after Lock and New ($format, $password)"
  rm -rf "$scratch"
  scratch=""
done
echo "lock_scan_test: all passed"
