#!/usr/bin/env bash
# Checks the web page of reports with the tools its readers have: the example's page and
# a page of hostile area tags pass tidy without a word; headless Chromium shows, for every
# report, as many table rows as the text report has, the dead areas as list items, and no
# script or image; a screenshot of the example page is a PNG that is not blank. The
# screenshot is left in the build folder as example-page.png (docs/ keeps a copy).
#   tests/page/page_test.sh [BUILD_DIR]   (default build/release)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
kestrum=$build/kestrum
# shellcheck source=tests/checks.sh
. "$root/tests/checks.sh" page

# Headless Chromium on a page file, with a profile of its own that no run shares.
browse() {
  local profile
  profile=$(mktemp -d "$top/profile.XXXXXX")
  chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
    --disable-component-update --disable-sync --user-data-dir="$profile" "$@" 2>/dev/null
}

# The rows of each table of a text report, one count a line; the first table, the period
# header, is left out.
text_rows() {
  iconv -f CP866 -t UTF-8 "$1" | awk '/╔/ { rows = 0; inside = 1; next }
    /╚/ { if (++tables > 1) print rows; inside = 0; next }
    inside && /║/ { rows++ }'
}
# The same of the page as Chromium built it.
page_rows() {
  grep -o '<table\|</table>\|<tr>' "$1" | awk '/<table/ { rows = 0 } /<tr>/ { rows++ } /<\/table>/ { print rows }'
}

quiet_tidy() { tidy -q -e "$1" > "$1.tidy" 2>&1 && [ ! -s "$1.tidy" ]; }
same_rows() { [ -s "$1" ] && cmp -s "$1" "$2"; }
# As many <li> in the page as names in the bare list (an empty line, then a name a line).
items_as_names() { [ "$(grep -o '<li>' "$1" | wc -l)" -eq "$(tr -d '\r' < "$2" | grep -c .)" ]; }
no_script_or_image() { ! grep -qi '<script\|<img' "$1"; }
# Nothing to fetch: no other file named, no frame or object; a style for dark mode and paper.
self_contained() {
  ! grep -q '<link\|@import\|url(\|<iframe\|<object\|<embed' "$1" &&
    grep -q 'prefers-color-scheme: *dark' "$1" && grep -q '@media print' "$1"
}
shows() {  # shows FILE TEXT...: every text is in the file
  local file=$1 text
  shift
  for text in "$@"; do grep -qF -- "$text" "$file" || return 1; done
}

# check_page NAME DIR PAGE TEXT [LIST]: the page beside the text report of the same
# letters but d, and the bare list of dead areas when the page has one.
check_page() {
  local name=$1 dir=$2
  local page=$dir/$3 text=$dir/$4 list=${5:+$dir/$5}
  check "$name: tidy finds no error and no warning" quiet_tidy "$page"
  browse --dump-dom "file://$page" > "$dir/dom.html"
  check "$name: Chromium reads the page" shows "$dir/dom.html" '</html>'
  text_rows "$text" > "$dir/text.rows"
  page_rows "$dir/dom.html" > "$dir/page.rows"
  check "$name: every report has as many table rows as in the text report" same_rows "$dir/text.rows" "$dir/page.rows"
  if [ -n "$list" ]; then
    check "$name: the dead areas are as many list items as names in the list" items_as_names "$dir/dom.html" "$list"
  fi
  check "$name: the page holds no script and no image" no_script_or_image "$dir/dom.html"
  check "$name: the page fetches nothing and has its styles for dark mode and paper" self_contained "$page"
}

# The example, with a text report of the page's letters beside it.
example=$top/example
mkdir -p "$example"
cp "$root/examples/Kestrum.Cfg" "$root/examples/Squish.cfg" "$example/"
"$root/examples/make-example-log.sh" "$example/tosser.log"
read -r page letters < <(awk 'tolower($1) == "out.html.name" { print $2, $3 }' "$example/Kestrum.Cfg")
check "the example names a page" [ -n "${page:-}" ]
printf 'Out.File.Name all.rep %s\r\n' "${letters//d/}" >> "$example/Kestrum.Cfg"
(cd "$example" && "$kestrum" > console.txt)
check "the example runs" [ "$?" -eq 0 ]
check_page example "$example" "$page" all.rep

# A page of tags as remote packets may bring them: markup, CP866 Cyrillic, control bytes,
# the longest tag a log line can hold.
hostile=$top/hostile
mkdir -p "$hostile"
day=$(LC_ALL=C date -d yesterday '+%d %b %y')
long=Ru.L$(printf 'l%.0s' $(seq 195))
printf 'Tovark.Log tosser.log\r\nSquish.Cfg squish.cfg\r\nPeriod 1,00:00 0,00:00\r\n' > "$hostile/k.cfg"
printf 'Out.File.Name all.rep AIiEPDLFTXCH\r\nOut.File.Name dead.lst d\r\nOut.Html.Name all.html AIiEPDdLFTXCH\r\n' >> "$hostile/k.cfg"
printf 'EchoArea <b>quiet</b>&"x'"'"' C:\\Q\r\n' > "$hostile/squish.cfg"
{
  printf '%s  01:00:00 SU.<script>alert(1)</script>: toss - 3 (3000 bytes), dupes - 1, sent - 2\r\n' "$day"
  printf '%s  01:00:01 <img/src=x/onerror=alert(1)>: toss - 2 (100 bytes)\r\n' "$day"
  printf '%s  01:00:02 \215\205\222.\222\205\221\222\360: toss - 1 (10 bytes)\r\n' "$day"
  printf '%s  01:00:03 CTL.\001\007\t\033\177.X: dupes - 4\r\n' "$day"
  printf '%s  01:00:04 %s: sent - 9\r\n' "$day" "$long"
  printf '%s  01:00:05 [Inbound] 0000ABCD.PKT (4096 bytes) from 2:5020/52.0<i>\r\n' "$day"
  printf '%s  01:00:06 Sent to 2:5020/77.0 - 2048\r\n' "$day"
} > "$hostile/tosser.log"
(cd "$hostile" && "$kestrum" -c k.cfg > console.txt)
check "the hostile run runs" [ "$?" -eq 0 ]
check_page hostile "$hostile" all.html all.rep dead.lst
dom=$hostile/dom.html
check "hostile: tags show as their characters" shows "$dom" '&lt;Script&gt;Alert(1)&lt;/Script&gt;' \
  '&lt;Img/Src=X/Onerror=Alert(1)&gt;' "&lt;B&gt;Quiet&lt;/B&gt;&amp;\"X'"
check "hostile: Cyrillic shows in UTF-8 and control bytes as U+FFFD" shows "$dom" 'НЕТ.ТЕСТЁ' 'Ctl.�����.X'
check "hostile: the longest tag shows whole" shows "$dom" "$long"

# A screenshot of the example page, against one of an empty page of the same size.
shot=$build/example-page.png
printf '<!DOCTYPE html><html lang="en"><title>blank</title></html>\n' > "$top/blank.html"
browse --hide-scrollbars --screenshot="$top/blank.png" --window-size=1000,1300 "file://$top/blank.html"
rm -f "$shot"
browse --hide-scrollbars --screenshot="$shot" --window-size=1000,1300 "file://$example/$page"
png_of_window() { file "$1" | grep -q 'PNG image data, 1000 x 1300'; }
# A blank page's screenshot compresses to almost nothing; one of tables and text does not.
not_blank() { [ -s "$2" ] && [ "$(wc -c < "$1")" -gt $((4 * $(wc -c < "$2"))) ]; }
check "the screenshot is a PNG of the window's size" png_of_window "$shot"
check "the screenshot is not blank" not_blank "$shot" "$top/blank.png"

finish_checks
