#!/usr/bin/env bash
# Builds the Debian package from a release build and checks it: lintian finds no error
# and no warning, it holds both programs and manual pages, the binary is stripped and
# hardened, and the packaged programs run.
#   tests/package/lintian_test.sh [BUILD-DIR]     (default build/release)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build/release}" && pwd)
# shellcheck source=tests/checks.sh
. "$root/tests/checks.sh" package

rm -f "$build"/kestrum_*.deb
(cd "$build" && cpack -G DEB > "$top/cpack.out" 2>&1) || cat "$top/cpack.out"
deb=$(ls "$build"/kestrum_*.deb 2>/dev/null | head -n 1)
check "cpack builds the package" test -f "$deb"
if [ -f "$deb" ]; then
  lintian --fail-on error,warning "$deb" > "$top/lintian.out" 2>&1
  status=$?
  grep -v '^running with root privileges' "$top/lintian.out"
  check "lintian finds no error and no warning in $(basename "$deb")" \
    eval '[ "$status" -eq 0 ] && ! grep -Eq "^[EW]: " "$top/lintian.out"'
  dpkg-deb -x "$deb" "$top/root"
  for file in usr/bin/kestrum usr/bin/kestrum-post usr/share/man/man1/kestrum.1.gz \
              usr/share/man/man1/kestrum-post.1.gz usr/share/doc/kestrum/copyright \
              usr/share/doc/kestrum/changelog.gz usr/share/doc/kestrum/examples/kestrum.service \
              usr/share/doc/kestrum/examples/kestrum.timer usr/share/doc/kestrum/examples/kestrum.crontab \
              usr/share/doc/kestrum/examples/kestrum-post.conf; do
    check "the package holds $file" test -f "$top/root/$file"
  done
  binary=$top/root/usr/bin/kestrum
  check "the binary is stripped" eval '! readelf -S "$binary" | grep -Eq "\.symtab|\.comment"'
  check "the binary is position-independent and bound at start-up" \
    eval 'readelf -d "$binary" | grep -q "Flags: NOW PIE" && readelf -l "$binary" | grep -q GNU_RELRO'
  check "the binary has the stack protector and checked functions" \
    eval 'readelf --dyn-syms -W "$binary" | grep -q __stack_chk_fail && readelf --dyn-syms -W "$binary" | grep -q "__[a-z]*_chk@"'
  check "the packaged kestrum runs the example" \
    eval 'cp "$root/examples/Kestrum.Cfg" "$root/examples/Squish.cfg" "$top/" &&
          "$root/examples/make-example-log.sh" "$top/tosser.log" &&
          (cd "$top" && "$binary" > console.txt) && grep -q "Writing output files... Done." "$top/console.txt"'
  check "the packaged kestrum-post prints its usage" eval '"$top/root/usr/bin/kestrum-post" -h | grep -q "^Usage: kestrum-post"'
fi

finish_checks
