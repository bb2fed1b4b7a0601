#!/bin/sh
# Builds kestrum (installing what the build needs) and runs it on the example in a fresh
# folder, build/example, with a log made relative to today; shows the console and the
# reports in UTF-8, and says where the web page of the reports is.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/need-packages" cmake ninja-build g++
(cd "$root" && cmake --workflow --preset release)
work=$root/build/example
rm -rf "$work"
mkdir -p "$work"
cp "$root/examples/Kestrum.Cfg" "$root/examples/Squish.cfg" "$work/"
"$root/examples/make-example-log.sh" "$work/tosser.log"
cd "$work"
status=0
"$root/build/release/kestrum" -c Kestrum.Cfg > console.txt || status=$?
printf '\n===== console (converted from CP866) =====\n'
iconv -f CP866 -t UTF-8 console.txt
for report in areas.rep links.rep dead.lst; do
  printf '\n===== %s (converted from CP866) =====\n' "$report"
  iconv -f CP866 -t UTF-8 "$report"
done
printf '\nThe reports are in %s\n' "$work"
printf 'The web page of the reports is %s/stats.html: open it in a browser\n' "$work"
exit "$status"
