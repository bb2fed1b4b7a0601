#!/usr/bin/env bash
# Measures kestrum on one synthetic tosser log against two baselines on the same file:
# wc -l (the floor for reading lines) and baseline.awk (what an operator would script).
# Prints the ratios and kestrum's peak resident memory.
#
#   bench/run.sh [SIZE_MB=1024] [AREAS=2000] [LINKS=200]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
size=${1:-1024}
areas=${2:-2000}
links=${3:-200}
today=$(date +%F)
dir=$root/build/bench/$size-$areas-$links

command -v /usr/bin/time >/dev/null || { echo "needs GNU time: apt-get install time" >&2; exit 1; }
cmake --preset release >/dev/null
cmake --build --preset release --target kestrum make_tosser_log >/dev/null
mkdir -p "$dir"
cd "$dir"
if [ "$(cat .made 2>/dev/null)" != "$today" ]; then
  echo "generating a $size MiB log with $areas areas and $links links..."
  "$root/build/release/make_tosser_log" . "$size" "$areas" "$links" 1 "$today"
  echo "$today" > .made
fi
yesterday=$(LC_ALL=C date -d yesterday +'%d %b %y')
cat tosser.log > /dev/null  # into the page cache: every contender reads from memory

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

read -r t_wc _ < <(measure wc -l tosser.log)
read -r t_kestrum m_kestrum < <(measure "$root/build/release/kestrum" -c Kestrum.Cfg)
read -r t_awk _ < <(measure awk -v day="$yesterday" -f "$root/bench/baseline.awk" tosser.log)
lines=$(wc -l < tosser.log)
awk -v wc="$t_wc" -v k="$t_kestrum" -v a="$t_awk" -v m="$m_kestrum" -v lines="$lines" -v size="$size" \
    -v areas="$areas" -v links="$links" 'BEGIN {
  printf "log: %d MiB, %d lines, %d areas, %d links\n", size, lines, areas, links
  printf "wc -l      %7.2f s\nkestrum    %7.2f s\nawk        %7.2f s\n", wc, k, a
  printf "kestrum / wc -l   %5.2f  (target: at most 2)\n", (wc > 0 ? k / wc : 0)
  printf "awk / kestrum     %5.2f  (target: at least 10)\n", (k > 0 ? a / k : 0)
  printf "kestrum peak RSS  %5.1f MiB (target: under 16)\n", m / 1024
}'
