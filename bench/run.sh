#!/usr/bin/env bash
# Measures kestrum on two synthetic tosser logs against two baselines on the same file:
# wc -l (the floor for reading lines) and baseline.awk (what an operator would script),
# and kestrum once more with the reports of days and hours (C and H) added.
# The day workload reports yesterday out of a four-day log; the month workload reports
# a whole 31-day log. Prints, for each, the ratios and kestrum's peak resident memory,
# and a checksum of its report files (the same figures must give the same sum); then the
# same for a run that writes one web page of every report letter instead.
#
#   bench/run.sh [SIZE_MB=1024] [AREAS=2000] [LINKS=200]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
size=${1:-1024}
areas=${2:-2000}
links=${3:-200}
today=$(date +%F)

command -v /usr/bin/time >/dev/null || { echo "needs GNU time: apt-get install time" >&2; exit 1; }
cmake --preset release >/dev/null
cmake --build --preset release --target kestrum make_tosser_log >/dev/null

# Best wall time of three runs, and the peak resident set of the last, of a command.
measure() {
  local best="" seconds kib
  for _ in 1 2 3; do
    /usr/bin/time -o .time -f '%e %M' "$@" > .out 2>&1
    read -r seconds kib < .time
    if [ -z "$best" ] || awk "BEGIN { exit !($seconds < $best) }"; then best=$seconds; fi
  done
  echo "$best $kib"
}

# One workload: its log (made once a day, the windows being relative to the run day),
# the three contenders on it, and the figures. The awk script takes the day's stamp
# text to keep, or nothing for the month, whose window holds every line.
run_workload() {
  local workload=$1 awk_day=$2 awk_target=$3 wc_target=$4
  local dir=$root/build/bench/$size-$areas-$links-$workload
  mkdir -p "$dir"
  cd "$dir"
  if [ "$(cat .made 2>/dev/null)" != "$today" ]; then
    echo "generating the $workload workload: a $size MiB log with $areas areas and $links links..."
    "$root/build/release/make_tosser_log" . "$size" "$areas" "$links" 1 "$today" "$workload"
    echo "$today" > .made
  fi
  cat tosser.log > /dev/null  # into the page cache: every contender reads from memory
  # The same reports with the days and the hours added, into files of their own.
  sed -e 's/areas.rep AIiEPDd/areas-ch.rep AIiEPDdCH/' -e 's/links.rep/links-ch.rep/' Kestrum.Cfg > KestrumCH.Cfg
  local t_wc t_kestrum m_kestrum t_ch m_ch t_awk lines
  read -r t_wc _ < <(measure wc -l tosser.log)
  read -r t_kestrum m_kestrum < <(measure "$root/build/release/kestrum" -c Kestrum.Cfg)
  read -r t_ch m_ch < <(measure "$root/build/release/kestrum" -c KestrumCH.Cfg)
  read -r t_awk _ < <(measure awk -v day="$awk_day" -f "$root/bench/baseline.awk" tosser.log)
  # The same run writing a web page of every letter in the place of the two files.
  sed '/^Out\.File\.Name /d' Kestrum.Cfg > Page.Cfg
  printf 'Out.Html.Name stats.html AIiEPDdLFTXCH\r\n' >> Page.Cfg
  local t_page m_page
  read -r t_page m_page < <(measure "$root/build/release/kestrum" -c Page.Cfg)
  lines=$(wc -l < tosser.log)
  awk -v wc="$t_wc" -v k="$t_kestrum" -v a="$t_awk" -v m="$m_kestrum" -v ch="$t_ch" -v mch="$m_ch" \
      -v lines="$lines" -v size="$size" \
      -v areas="$areas" -v links="$links" -v workload="$workload" -v at="$awk_target" -v wt="$wc_target" \
      -v sums="$(cat areas.rep links.rep | md5sum | cut -c1-12)" -v tp="$t_page" -v mp="$m_page" \
      -v page="$(wc -c < stats.html)" 'BEGIN {
    printf "%s workload: %d MiB, %d lines, %d areas, %d links (reports %s)\n", workload, size, lines, areas, links, sums
    printf "  wc -l      %7.2f s\n  kestrum    %7.2f s\n  awk        %7.2f s\n", wc, k, a
    printf "  kestrum with C and H %5.2f s (%+.1f%%), peak RSS %.1f MiB\n", ch, (k > 0 ? (ch / k - 1) * 100 : 0), mch / 1024
    printf "  kestrum / wc -l   %5.2f  (target: at most %s)\n", (wc > 0 ? k / wc : 0), wt
    printf "  awk / kestrum     %5.2f  (target: at least %s)\n", (k > 0 ? a / k : 0), at
    printf "  kestrum peak RSS  %5.1f MiB (target: under 16)\n", m / 1024
    printf "  kestrum, page     %5.2f s, peak RSS %5.1f MiB, page of %.1f MiB\n", tp, mp / 1024, page / 1048576
  }'
}

run_workload day "$(LC_ALL=C date -d yesterday +'%d %b %y')" 10 1.5
run_workload month "" 30 2
