# shellcheck shell=bash
# Shared by the shell suites (sourced, not run): a temporary folder removed at exit, one
# line per check with its result, and the closing count "N checks passed, M failed".
# Usage: . tests/checks.sh NAME   (NAME labels the temporary folder)

top=$(mktemp -d "${TMPDIR:-/tmp}/kestrum-$1.XXXXXX")
trap 'rm -rf "$top"' EXIT

passed=0
failed=0
check() {  # check NAME COMMAND...: one line per check, its result.
  local name=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
    echo "ok - $name"
  else
    failed=$((failed + 1))
    echo "FAILED - $name"
  fi
}

# The last line of a suite; its status tells whether every check passed.
finish_checks() {
  echo "$passed checks passed, $failed failed"
  [ "$failed" -eq 0 ]
}
