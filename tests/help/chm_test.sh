#!/usr/bin/env bash
# Reads the compiled manual back with the CHM library's tools and checks that
# it is a help file that holds every page of the project, the contents and
# the index, each as the source says (converted to the help file's code
# page), and that the contents list every page.
# Usage: chm_test.sh Tolvane.chm HELP_SOURCE_DIR
set -u
chm=$1 src=$2
failed=0 passed=0
check() {  # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); else echo "FAILED: $what"; failed=$((failed + 1)); fi
}

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

check "starts with the ITSF signature" test "$(head -c 4 "$chm")" = ITSF
check "the CHM library opens it" extract_chmLib "$chm" "$out" >/dev/null

pages=$(sed -n '/^\[FILES\]/,$p' "$src/tolvane.hhp" | tail -n +2 | grep -v '^$')
for f in $pages toc.hhc index.hhk; do
  check "$f is stored unchanged" cmp -s "$out/$f" \
    <(sed 's/charset=utf-8/charset=Shift_JIS/' "$src/$f" | iconv -f UTF-8 -t CP932)
done
for f in $(echo "$pages" | grep '\.html$'); do
  check "the contents list $f" grep -q "value=\"$f\"" "$out/toc.hhc"
done
check "the index is not empty" grep -q 'name="Local"' "$out/index.hhk"
check "the system file names the contents, the index and the start page" \
  bash -c "strings '$out/#SYSTEM' | grep -q toc.hhc && strings '$out/#SYSTEM' | grep -q index.hhk && strings '$out/#SYSTEM' | grep -q index.html"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
