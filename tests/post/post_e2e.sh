#!/usr/bin/env bash
# End-to-end test of kestrum-post with Debian's crashmail: a small node in a temporary
# folder, the example's reports posted, the inbound tossed, every message read back.
#   tests/post/post_e2e.sh [BUILD-DIR]      (default build/release, holding kestrum)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
[ -x "$build/kestrum" ] || { echo "no kestrum in $build: build it first"; exit 1; }
if ! command -v crashmail >/dev/null || ! command -v crashwrite >/dev/null; then
  if [ "$(id -u)" -eq 0 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq crashmail >/dev/null || exit 1
  else
    echo "crashmail is missing; as root: apt-get install -y crashmail"
    exit 1
  fi
fi
export LC_ALL=C PATH="$build:$PATH"
post=$root/post/kestrum-post
conf=$root/examples/node/kestrum-post.conf
# shellcheck source=tests/checks.sh
. "$root/tests/checks.sh" post-e2e

# A node: crashmail with one echo area stored as *.MSG files and an inbound folder, and
# a working folder with the example's configuration and a log made relative to today.
make_node() {
  node=$top/$1
  mkdir -p "$node"/{inbound,outbound,tmp,area,bad,work}
  cat > "$node/crashmail.prefs" <<EOF
SYSOP "Test Sysop"
LOGFILE "$node/crashmail.log"
LOGLEVEL 3
DUPEFILE "$node/dupes" 200
DUPEMODE BAD
DEFAULTZONE 2
INBOUND "$node/inbound"
OUTBOUND "$node/outbound"
TEMPDIR "$node/tmp"
CREATEPKTDIR "$node/tmp"
PACKETDIR "$node/outbound"
STATSFILE "$node/crashmail.stats"
AKA 2:5020/999.0
DOMAIN "FidoNet"
AREA "BAD" 2:5020/999.0 MSG "$node/bad"
AREA "KESTRUM.STAT" 2:5020/999.0 MSG "$node/area"
EOF
  cp "$root/examples/Kestrum.Cfg" "$root/examples/Squish.cfg" "$node/work/"
  "$root/examples/make-example-log.sh" "$node/work/tosser.log"
}
toss() { crashmail SETTINGS "$node/crashmail.prefs" TOSS NOSECURITY > "$node/toss.out" 2>&1; }
run_post() { (cd "$node/work" && "$post" "$@" > "$node/post.out" 2>&1); status=$?; }

# The messages of the area in the order they were tossed.
messages() { ls "$node/area" | grep -E '^[0-9]+\.msg$' | sort -n | sed "s|^|$node/area/|"; }
count() { messages | wc -l; }
# A header field of a *.MSG file: the bytes at OFFSET up to the first NUL.
field() { dd if="$1" bs=1 skip="$2" count="$3" 2>/dev/null | tr '\0' '\n' | head -n 1; }
subject() { field "$1" 72 72; }
# The message text as the poster gave it: kludge lines before it, and the tear line,
# origin and kludges after it, left out; every line ended by CR.
body() {
  tail -c +191 "$1" | tr -d '\0' | awk 'BEGIN { RS = "\r" }
    { line[++n] = $0 }
    END {
      first = 1
      while (first <= n && substr(line[first], 1, 1) == "\001") first++
      for (last = n; last >= first && substr(line[last], 1, 4) != "--- "; last--) ;
      for (i = first; i < last; i++) printf "%s\r", line[i]
    }'
}
origin_line() { tail -c +191 "$1" | tr '\r' '\n' | grep -a '^ \* Origin: '; }
# A report as message text: CR LF line ends become CR.
as_text() { tr -d '\n' < "$1"; }
same_text() { cmp -s <(body "$1") <(as_text "$2"); }
no_packets() { [ -z "$(ls -A "$node/inbound")" ]; }
ends_in() { [ "$(tail -c "${#2}" "$1")" = "$2" ]; }

# The example posted whole: one message per report, as the shipped settings file says.
make_node whole
run_post -s "$conf" -d "$node/inbound"
check "a complete run exits 0" [ "$status" -eq 0 ]
check "kestrum's console passes through" grep -q '^Writing output files... Done.' "$node/post.out"
check "the packets wait in the inbound, no folder of the poster's left" \
  [ "$(ls -A "$node/inbound" | grep -vc '^[0-9a-f]\{8\}\.pkt$')" -eq 0 -a "$(ls "$node/inbound" | wc -l)" -eq 2 ]
toss
check "crashmail tosses both packets into the area" [ "$(count)" -eq 2 ]
mapfile -t got < <(messages)
check "the first message carries areas.rep" [ "$(subject "${got[0]}")" = "Echomail statistics areas.rep" ]
check "the second message carries links.rep" [ "$(subject "${got[1]}")" = "Echomail statistics links.rep" ]
check "from-name and to-name are in the header" \
  [ "$(field "${got[0]}" 0 36)" = Kestrum -a "$(field "${got[0]}" 36 36)" = All ]
# The double line of the boxes, and "Живые" of a title, in CP866.
cp866_report() { grep -q $'\xcd\xcd\xcd' "$1" && grep -q $'\x86\xa8\xa2\xeb\xa5' "$1"; }
check "the reports hold CP866 box characters and Cyrillic" cp866_report "$node/work/areas.rep"
check "areas.rep arrives byte for byte, lines ended by CR" same_text "${got[0]}" "$node/work/areas.rep"
check "links.rep arrives byte for byte, lines ended by CR" same_text "${got[1]}" "$node/work/links.rep"
check "the origin line names the origin and the node" \
  [ "$(origin_line "${got[0]}")" = " * Origin: Kestrum echomail statistics (2:5020/999.0)" ]

# A report over the limit, each of its tables within it (the hours take some 2,400
# bytes): numbered parts, cut after the empty lines between tables.
make_node parts
run_post -s "$conf" -d "$node/inbound" -m 3000 -S 'Статистика {file}' areas.rep
toss
mapfile -t got < <(messages)
parts=${#got[@]}
check "a report over the limit goes in more than one part" [ "$status" -eq 0 -a "$parts" -gt 1 ]
numbered=1
whole=$node/whole.txt
: > "$whole"
for i in "${!got[@]}"; do
  expected=$(printf '%s areas.rep (%d/%d)' "$(printf 'Статистика' | iconv -f UTF-8 -t CP866)" $((i + 1)) "$parts")
  [ "$(subject "${got[$i]}")" = "$expected" ] || numbered=0
  body "${got[$i]}" > "$node/part"
  [ "$(wc -c < "$node/part")" -le 3000 ] || numbered=0
  if [ $((i + 1)) -lt "$parts" ] && ! ends_in "$node/part" $'\r\r'; then numbered=0; fi
  cat "$node/part" >> "$whole"
done
check "each part is numbered (i/n) in a CP866 subject, holds 3000 bytes at most and ends after an empty line" \
  [ "$numbered" -eq 1 ]
check "the parts put together are the report, every byte intact" cmp -s "$whole" <(as_text "$node/work/areas.rep")

# A limit smaller than a table: the tables are cut between their lines.
make_node lines
run_post -s "$conf" -d "$node/inbound" -m 300 -S "$(printf 'x%.0s' {1..71})" links.rep
toss
: > "$node/whole.txt"
small=1
shortened=1
number=0
for message in $(messages); do
  number=$((number + 1))
  body "$message" > "$node/part"
  [ "$(wc -c < "$node/part")" -le 300 ] || small=0
  cat "$node/part" >> "$node/whole.txt"
  title=$(subject "$message")
  [ ${#title} -eq 71 ] && [ "${title% ("$number"/*)}" != "$title" ] || shortened=0
done
check "tables longer than the limit are cut between lines, each part within the limit" \
  [ "$status" -eq 0 -a "$(count)" -gt 3 -a "$small" -eq 1 ]
check "a subject of 71 characters is shortened to make room for the part's number" [ "$shortened" -eq 1 ]
check "and the parts still make up the report" cmp -s "$node/whole.txt" <(as_text "$node/work/links.rep")

# A refused configuration: kestrum fails, nothing is posted, the old reports stay.
make_node refused
printf 'Address 2:5020/999\r\n' >> "$node/work/Kestrum.Cfg"
printf 'old report\r\n' | tee "$node/work/areas.rep" > "$node/work/links.rep"
run_post -s "$conf" -d "$node/inbound"
check "a refused configuration makes kestrum-post exit 1" [ "$status" -eq 1 ]
check "and nothing is posted" no_packets
toss
check "and the area stays empty" [ "$(count)" -eq 0 ]
check "and the old reports are kept" cmp -s "$node/work/areas.rep" <(printf 'old report\r\n')

# A report that this run did not write is not posted.
make_node stale
printf 'last year\r\n' > "$node/work/old.rep"
touch -d '2 days ago' "$node/work/old.rep"
run_post -s "$conf" -d "$node/inbound" areas.rep old.rep
check "a report not written by the run fails with 3 and posts nothing" \
  eval '[ "$status" -eq 3 ] && no_packets && grep -q "old.rep was not written by this run" "$node/post.out"'

# A report reached through a symbolic link is dated by its target, which kestrum replaces.
make_node link
mkdir "$node/published"
printf 'last year\r\n' > "$node/published/areas.rep"
touch -d '2 days ago' "$node/published/areas.rep"
ln -s ../published/areas.rep "$node/work/areas.rep"
touch -h -d '2 days ago' "$node/work/areas.rep"
run_post -s "$conf" -d "$node/inbound" areas.rep
toss
check "a report behind a symbolic link is posted from the file it points to" \
  eval '[ "$status" -eq 0 ] && [ "$(count)" -eq 1 ] && same_text "$(messages)" "$node/published/areas.rep"'

# A settings file with an unknown key is refused before kestrum runs.
make_node settings
printf 'area KESTRUM.STAT\nfrom-adress 2:5020/999\n' > "$node/work/bad.conf"
run_post -s bad.conf -d "$node/inbound" areas.rep
check "an unknown setting is refused with 2, kestrum not run" \
  eval '[ "$status" -eq 2 ] && [ ! -e "$node/work/areas.rep" ] && grep -q "line 2: unknown setting from-adress" "$node/post.out"'
run_post -s "$conf" -d "$node/inbound" -f 2:5020 areas.rep
check "a malformed from-address is refused with 2" [ "$status" -eq 2 ]

# The area file from the node's whole Squish configuration.
make_node squish
long="EchoArea SU.HUMOR C:\\Squish\\SuHumor -\$$(printf ' 2:5020/%d' $(seq 1 150)) -0"
{
  printf '; Squish configuration of the node\r\n'
  printf 'Address 2:5020/999\r\nOrigin A test node\r\nPack Zip\r\n'
  printf 'netarea NETMAIL C:\\Squish\\Netmail\r\n'
  printf '  BADAREA BAD_MSGS C:\\Squish\\BadMsgs\r\n'
  printf 'DupeArea DUPES C:\\Squish\\Dupes ; the dupes\r\n'
  printf 'LocalArea LOCAL.SYSOP C:\\Squish\\Local\r\n'
  printf 'EchoAreaList areas.lst\r\n'
  printf 'ECHOAREA SU.GENERAL C:\\Squish\\SuGen 2:5020/52 2:5020/77\r\n'
  printf '%s\r\n' "$long"
  printf 'EchoArea RU.LINUX C:\\Squish\\RuLinux 2:5020/52\r\n'
} > "$node/work/squish.cfg"
(cd "$node/work" && "$post" -q squish.cfg -w Squish.cfg > "$node/post.out" 2>&1)
status=$?
{
  printf 'netarea NETMAIL C:\\Squish\\Netmail\n'
  printf '  BADAREA BAD_MSGS C:\\Squish\\BadMsgs\n'
  printf 'DupeArea DUPES C:\\Squish\\Dupes ; the dupes\n'
  printf 'LocalArea LOCAL.SYSOP C:\\Squish\\Local\n'
  printf 'ECHOAREA SU.GENERAL C:\\Squish\\SuGen 2:5020/52 2:5020/77\n'
  printf 'EchoArea SU.HUMOR C:\\Squish\\SuHumor -0\n'
  printf 'EchoArea RU.LINUX C:\\Squish\\RuLinux 2:5020/52\n'
} > "$node/expected.cfg"
check "the area file keeps only the area lines, the long one cut with its -0" \
  eval '[ "$status" -eq 0 ] && cmp -s "$node/work/Squish.cfg" "$node/expected.cfg"'
run_post -s "$conf" -d "$node/inbound" -q squish.cfg -w Squish.cfg areas.rep
check "kestrum reads the area file built before its run" [ "$status" -eq 0 ]
check "and the cut line's area is still pass-through" grep -q $'\xbaP\xbaSu.Humor' "$node/work/areas.rep"
printf 'Address 2:5020/999\n' > "$node/work/empty.cfg"
(cd "$node/work" && "$post" -q empty.cfg -w Squish.cfg > "$node/post.out" 2>&1)
status=$?
check "a Squish file without area lines is refused, the area file kept" \
  eval '[ "$status" -eq 3 ] && cmp -s "$node/work/Squish.cfg" "$node/expected.cfg"'

# Another poster: it fails on the second message, and nothing reaches the inbound.
make_node poster
cat > "$node/poster" <<'EOF'
#!/bin/sh
calls=$(cat "$POSTER_LOG" 2>/dev/null | wc -l)
printf '%s|%s|%s\n' "$KESTRUM_POST_AREA" "$KESTRUM_POST_SUBJECT" "$KESTRUM_POST_FROM_ADDRESS" >> "$POSTER_LOG"
cp "$1" "$KESTRUM_POST_DIR/0000000$calls.pkt"
[ "$calls" -eq 0 ] || [ -z "${POSTER_FAILS-}" ]
EOF
chmod +x "$node/poster"
export POSTER_LOG=$node/poster.log POSTER_FAILS=1
run_post -s "$conf" -d "$node/inbound" -p "$node/poster"
check "a poster failing on the second message: exit 3, nothing posted" \
  eval '[ "$status" -eq 3 ] && no_packets && [ "$(wc -l < "$POSTER_LOG")" -eq 2 ]'
check "the poster gets the header in its environment" \
  grep -qx 'KESTRUM.STAT|Echomail statistics areas.rep|2:5020/999' "$POSTER_LOG"
unset POSTER_FAILS
: > "$POSTER_LOG"
printf 'not ours\n' > "$node/inbound/00000000.pkt"
run_post -s "$conf" -d "$node/inbound" -p "$node/poster"
check "a packet already in the inbound is not replaced" \
  eval '[ "$status" -eq 0 ] && [ "$(cat "$node/inbound/00000000.pkt")" = "not ours" ] && [ "$(ls "$node/inbound" | wc -l)" -eq 3 ]'
check "the posted texts reach the inbound under free names, in order" \
  eval 'cmp -s "$node/inbound/00000001.pkt" <(as_text "$node/work/areas.rep") && cmp -s "$node/inbound/00000002.pkt" <(as_text "$node/work/links.rep")'

finish_checks
