#!/usr/bin/env bash
# Checks the shipped scheduling examples and shell scripts: the systemd units verify, the
# service's and the crontab's commands mail only failures, in UTF-8, and every shell
# script passes sh -n and shellcheck (kestrum-post as a POSIX sh script).
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
node=$root/examples/node
# shellcheck source=tests/checks.sh
. "$root/tests/checks.sh" examples

# Stand-ins for kestrum, which prints a CP866 line and exits with $STUB_STATUS, and for
# mail, which keeps its arguments and text in $top/mail.
mkdir -p "$top/bin" "$top/work"
cat > "$top/bin/kestrum" <<'STUB'
#!/bin/sh
printf 'Parsing Kestrum.Cfg... \206\250\242\353\245\n'
exit "${STUB_STATUS:-0}"
STUB
cat > "$top/bin/mail" <<STUB
#!/bin/sh
{ printf '%s|' "\$@"; echo; cat; } > "$top/mail"
STUB
chmod +x "$top/bin/kestrum" "$top/bin/mail"
export PATH="$top/bin:$PATH"
utf8_text='Parsing Kestrum.Cfg... Живые'

# The service's command as systemd hands it to the shell: systemd puts its own variables
# (none here, so nothing) in the place of $NAME and ${NAME}, and $$ is a dollar sign.
service_command=$(sed -n 's/^ExecStart=//p' "$node/kestrum.service" |
                  sed 's/\$\$/\x01/g; s/\${[A-Za-z_][A-Za-z0-9_]*}//g; s/\$[A-Za-z_][A-Za-z0-9_]*//g; s/\x01/$/g')
run_service() { (cd "$top/work" && rm -f "$top/mail" && eval "$service_command") > "$top/out" 2>&1; status=$?; }
# The crontab's command, the working folder moved to the test's.
cron_command=$(grep -Ev '^(#|MAILTO=|$)' "$node/kestrum.crontab" | cut -d' ' -f6- |
               sed "s|/var/lib/kestrum|$top/work|")
run_cron() { sh -c "$cron_command" > "$top/out" 2>&1; status=$?; }

if command -v systemd-analyze >/dev/null; then
  check "systemd-analyze verifies the service and the timer without a word" \
    eval '[ -z "$(systemd-analyze verify --man=no "$node/kestrum.service" "$node/kestrum.timer" 2>&1)" ]'
else
  check "systemd-analyze is installed" false
fi
check "the timer runs the service nightly" grep -qx 'OnCalendar=\*-\*-\* 00:15:00' "$node/kestrum.timer"
check "the service runs in its working folder" grep -qx 'WorkingDirectory=/var/lib/kestrum' "$node/kestrum.service"

STUB_STATUS=0 run_service
check "a complete run of the service mails nothing" \
  eval '[ "$status" -eq 0 ] && [ ! -e "$top/mail" ] && grep -qa "Parsing" "$top/work/last-run.txt"'
STUB_STATUS=1 run_service
check "a failed run of the service fails and mails root the exit status" \
  eval '[ "$status" -eq 1 ] && grep -q "^-s|kestrum failed with exit status 1|root|" "$top/mail"'
check "and the console text in UTF-8" grep -qx "$utf8_text" "$top/mail"

check "the crontab line has five time fields and a command" \
  grep -Eqx '[0-9]+ [0-9]+ \* \* \* cd /var/lib/kestrum && .+' <(grep -Ev '^(#|MAILTO=|$)' "$node/kestrum.crontab")
check "the crontab line holds no % (cron would cut the command there)" eval '! grep -v "^#" "$node/kestrum.crontab" | grep -q %'
STUB_STATUS=0 run_cron
check "a complete run from cron prints nothing, so cron mails nothing" eval '[ "$status" -eq 0 ] && [ ! -s "$top/out" ]'
STUB_STATUS=2 run_cron
check "a failed run from cron prints its exit status and the console text in UTF-8" \
  eval 'grep -qx "kestrum failed with exit status 2" "$top/out" && grep -qx "$utf8_text" "$top/out"'

scripts=("$root/post/kestrum-post" "$root/examples/run-example.sh" "$root/examples/make-example-log.sh"
         "$root/scripts/need-packages")
for script in "${scripts[@]}"; do
  check "${script#"$root"/} passes sh -n" sh -n "$script"
  check "${script#"$root"/} passes shellcheck as a POSIX sh script" shellcheck -s sh "$script"
done
check "kestrum-post is executable" test -x "$root/post/kestrum-post"
check "scripts/test-all passes shellcheck" shellcheck "$root/scripts/test-all"

finish_checks
