#!/bin/sh
# Writes the example's tosser log relative to today: a day of tosser activity yesterday,
# inside the example's reporting period, and lines from the day before and from today,
# outside it. Text-mode file: CR LF line ends.
#   make-example-log.sh [FILE]
set -eu
out=${1:-tosser.log}
before=$(LC_ALL=C date -d '2 days ago' '+%d %b %y')
day=$(LC_ALL=C date -d 'yesterday' '+%d %b %y')
today=$(LC_ALL=C date '+%d %b %y')

sed 's/$/\r/' > "$out" <<LOG
$before  22:40:01 Tosser started
$before  22:40:02 [Inbound] 0000FE01.PKT (20480 bytes) from 2:5020/52.0
$before  22:40:03 SU.GENERAL: toss - 40 (81920 bytes), dupes - 2, sent - 40
$day  02:15:10 Tosser started
$day  02:15:11 [Inbound] 0000AB01.PKT (34567 bytes) from 2:5020/52.0
$day  02:15:12 [Inbound] 0000ab02.pkt (8192 bytes) from 2:5020/77.0
$day  02:15:13 SU.GENERAL: toss - 12 (34567 bytes), dupes - 1, sent - 10
$day  02:15:13 RU.LINUX: toss - 5 (9120 bytes), sent - 5
$day  02:15:14 SU.HUMOR: toss - 7 (6400 bytes), sent - 14
$day  02:15:14 SU.FLAME: toss - 30 (51200 bytes), dupes - 3, sent - 30
$day  02:15:15 ru.os2.talk: dupes - 2
$day  02:15:15 total: sent - 59
$day  02:15:16 Sent to 2:5020/77.0 - 16384
$day  02:15:17 Sent to 2:5020/1200.0 - 4096
$day  09:30:00 [12] Scanning outbound
$day  09:30:01 [12] N5020.NEWS: sent - 3
$day  09:30:02 [12] Sent to 2:5020/52.0 - 2048
$day  14:02:44 [Inbound] 0000CD03.PKT (65536 bytes) from 2:5020/1200.0
$day  14:02:45 SU.GENERAL: toss - 20 (40960 bytes), dupes - 4, sent - 20
$day  14:02:45 XSU.UNDECLARED: toss - 2 (2048 bytes)
$day  14:02:46 SU.OLD: toss - 1 (512 bytes)
$day  14:02:47 Real message from 2:5020/77.0
$day  14:02:48 Real message from 2:5020/1200.0
$day  14:02:49 Real message from 2:5020/77.0
$day  14:02:50 [Inbound] 0000CD04.PKT (1024 bytes) from 2:5020/9999.0
$day  21:55:00 Tosser finished
$today  10:00:00 Tosser started
$today  10:00:01 SU.GENERAL: toss - 99 (99999 bytes)
LOG
