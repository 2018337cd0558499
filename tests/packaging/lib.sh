# Shared by the packaging tests (sourced): a scratch folder removed on exit, a check that a needed tool
# is there, and checks whose failure messages say what must hold.
set -euo pipefail

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# need TOOL PACKAGE: on Debian, where scripts/install-deps.sh installs PACKAGE, a missing tool fails the
# test; on other systems the test is skipped (exit status 77).
need() {
  command -v "$1" >/dev/null 2>&1 && return 0
  if command -v dpkg-query >/dev/null 2>&1; then
    echo "FAIL: $1 is missing: scripts/install-deps.sh installs it (Debian package $2)" >&2
    exit 1
  fi
  echo "SKIP: $1 (Debian package $2) is not available on this system" >&2
  exit 77
}

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expect_eq WHAT ACTUAL EXPECTED
expect_eq() {
  [ "$2" == "$3" ] || fail "$1 must be '$3', is '$2'"
}

# expect_same_lines WHAT ACTUAL EXPECTED: two sorted lists of lines, the difference shown on failure.
expect_same_lines() {
  local diff
  if ! diff=$(diff <(printf '%s\n' "$3") <(printf '%s\n' "$2")); then
    fail "$1 must be exactly the expected list (< missing, > unexpected):"$'\n'"$diff"
  fi
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "all checks passed"
}
