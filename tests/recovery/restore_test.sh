#!/usr/bin/env bash
# Typed text survives a crash: the real Tolvane.exe runs under wine, driven
# by restore_driver.exe, which types a marker into a document and leaves it
# unsaved.  This side waits for the recovery copy, makes sure that neither
# the copy nor anything else the editor wrote holds the marker or the
# password in clear, and kills the editor's Linux process with SIGKILL, so
# that nothing runs on its side.  The driver then starts the editor again
# and answers its question about the copy (restore_driver.cpp says what
# each answer must lead to).  A second editor started beside the first must
# not take the first one's copy; a copy cut short before the crash must be
# reported and moved aside.
#
# Usage: restore_test.sh WINE_RUN DRIVER_EXE TOLVANE_EXE MEMSCAN_PY
set -u
wine_run=$1 driver=$2 tolvane=$3 memscan=$4

# Typed one character at a time, with a line break between the two lines;
# half-width katakana are single bytes in the code page, the rest double.
line1='復元マーカーﾃｽﾄQz7'
line2='二行目の印Xy9'
# document  editors  restarted with  next start  password
cases=(
  "classic   one  bare      yes      合言葉ﾃｽﾄPw5"
  "strong    one  bare      yes      強い合言葉Kq8"
  "untitled  one  bare      yes      -"
  "untitled  two  bare      no       -"
  "untitled  one  bare      damaged  -"
  "classic   one  document  yes      合言葉ﾃｽﾄPw5"
  "strong    one  bare      cancel   強い合言葉Kq8"
)

driver_pid=""
scratch=""
# The Linux processes whose command line matches the pattern $1, in which
# "@" stands for this case's scratch folder.
processes() {
  local name dir cmd
  name=$(basename "$scratch")
  for dir in /proc/[0-9]*; do
    cmd=$(tr '\0' ' ' 2>/dev/null <"$dir/cmdline") || continue
    # shellcheck disable=SC2053
    [[ $cmd == ${1//@/$name} ]] && echo "${dir#/proc/}"
  done
}

# The editors' command lines name Tolvane.exe inside the scratch folder; the
# driver's names the driver and then the folder.
editor_pattern='*@*Tolvane.exe*'

# A failed case leaves nothing running: the wine processes are killed first,
# so that their launcher ends by itself and stops its virtual display.
cleanup() {
  [ -n "$scratch" ] || return
  { processes "$editor_pattern"; processes '*restore_driver*@*' | grep -vx "$driver_pid"; } |
    xargs -r kill -KILL 2>/dev/null
  [ -n "$driver_pid" ] && wait "$driver_pid"
  rm -rf "$scratch"
}
trap cleanup EXIT

failed() {
  echo "restore_test: $1 ($document, $editors editor(s), restarted $restart, next start $next)"
  cat "$scratch/driver.log"
  exit 1
}

# Polls for the glob $1 (up to two minutes) while the driver runs.
wait_for() {
  for _ in $(seq 1200); do
    compgen -G "$1" >/dev/null && return 0
    kill -0 "$driver_pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# The editor's Linux process; the second editor of a case has ended before
# the first is looked for.
editor_pid() {
  local found
  found=$(processes "$editor_pattern")
  [ -n "$found" ] && [ "$(wc -l <<<"$found")" -eq 1 ] && echo "$found"
}

# Every file the editor wrote (the recovery folder above all) is searched for
# each line of the marker and the password in UTF-16, the code page and
# UTF-8, and for the key a classic document derives from that password.
scan_files() {
  python3 - "$memscan" "$scratch" "$password" "$line1" "$line2" <<'EOF'
import os, sys
memscan, scratch, password, *lines = sys.argv[1:]
sys.path.insert(0, os.path.dirname(memscan))
from memscan import pattern_bytes
secrets = lines + ([password] if password != "-" else [])
patterns = [(s, e, pattern_bytes(e, s)) for s in secrets for e in ("utf16", "cp932", "utf8")]
if password != "-":
    patterns.append((password, "sha256-cp932", pattern_bytes("sha256-cp932", password)))
found = 0
for folder, _, files in os.walk(scratch):
    for name in files:
        if name in ("Tolvane.exe", "driver.log"):
            continue
        data = open(os.path.join(folder, name), "rb").read()
        for text, encoding, pattern in patterns:
            if pattern in data:
                print("%s:%s in %s" % (encoding, text, os.path.relpath(folder + "/" + name, scratch)))
                found += 1
sys.exit(1 if found else 0)
EOF
}

for c in "${cases[@]}"; do
  read -r document editors restart next password <<<"$c"
  scratch=$(mktemp -d /tmp/restore.XXXXXX)
  cp "$tolvane" "$scratch/Tolvane.exe"
  "$wine_run" "$driver" "$scratch" "$document" "$editors" "$restart" "$next" "$password" "$line1" "$line2" \
    >"$scratch/driver.log" 2>&1 &
  driver_pid=$!

  wait_for "$scratch/stage-typed" || failed "the marker was never typed"
  # The editor writes its copy about three seconds after typing stops.
  wait_for "$scratch/recovery/*.tvr" || failed "no recovery copy was written"
  scan_files || failed "the secrets are readable in the files above"
  if [ "$editors" = two ]; then
    touch "$scratch/go-second"
    wait_for "$scratch/stage-second-checked" || failed "the second editor was not checked"
  fi
  # The editor keeps no copy open between writes; a crash in the middle of
  # one would leave it cut like this.
  [ "$next" = damaged ] && truncate -s -1 "$scratch"/recovery/*.tvr
  pid=$(editor_pid) || failed "not exactly one editor process found"
  kill -KILL "$pid"

  wait "$driver_pid"
  driver_status=$?
  driver_pid=""
  [ "$driver_status" -eq 0 ] || failed "the driver failed ($driver_status)"
  if [ "$next" != damaged ] && [ -n "$(find "$scratch/recovery" -path '*/damaged/*' -type f)" ]; then
    failed "a sound copy was taken for damaged"
  fi
  echo "restore_test: passed ($document, $editors editor(s), restarted $restart, next start $next)"
  rm -rf "$scratch"
  scratch=""
done
echo "restore_test: all passed"
