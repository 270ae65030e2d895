# Shared by the Windows tests: their error convention, running FINALE.EXE in the Wine session and checking its
# output. The test sets MIREL_BUILD (the Windows build folder), MIREL_SOURCE, MIREL_WINE_SESSION, WINEARCH and
# MIREL_OBJDUMP (see CMakeLists.txt); one that runs no Windows program sources this file with without_wine=true.
#
# The error convention: a check (fail, expect_*; a run of a program under test is one: `... || fail WHAT`) never
# stops the script, so that a run reports every failed check, and finish exits non-zero after any. Anything else
# that goes wrong stops it at once as a failure: stop WHY, or set -e with the ERR trap naming the command. A
# program this machine lacks ends the test with the skip code 77 and the reason (skip, need), never as passed.
set -Eeuo pipefail
shopt -s inherit_errexit
trap 'echo "FAILED: stopped where \`$BASH_COMMAND\` failed" >&2' ERR
: "${MIREL_BUILD:?}" "${MIREL_SOURCE:?}" "${MIREL_WINE_SESSION:?}"
wine_env="$MIREL_SOURCE/scripts/wine-env.sh"
failures=0

stop() { echo "FAILED: $*" >&2; exit 1; }
skip() { echo "SKIPPED: $*"; exit 77; }
# need PROGRAM...: skips the test unless each is installed.
need() { local program; for program in "$@"; do command -v "$program" >/dev/null || skip "$program is not installed"; done; }

# Skipped where this machine cannot run the session's kind of Wine (Wine or Xvfb not installed, or no 32-bit
# programs at all: scripts/wine-env.sh probe); Wine that is there but broken fails.
if ! "${without_wine:-false}"; then
    probe_status=0
    probe_reason=$("$wine_env" "$MIREL_WINE_SESSION" probe) || probe_status=$?
    [ "$probe_status" -ne 77 ] || skip "${WINEARCH:-win32}: $probe_reason"
    [ "$probe_status" -eq 0 ] || stop "${WINEARCH:-win32}: $probe_reason"
fi

# need_linux_standin: sets `linux` to the Linux stand-in that the comparisons run beside FINALE.EXE.
need_linux_standin() {
    linux="${MIREL_LINUX_STANDIN:-}"
    [ -x "$linux" ] || stop "no Linux stand-in at '$linux' (MIREL_LINUX_STANDIN; the default preset builds it)"
}

# A fresh folder for this test's files, removed at the end.
work=$(mktemp -d "$MIREL_BUILD/tests/windows/work.XXXXXX")
trap 'rm -rf "$work"' EXIT

# wine_run PROGRAM ARGS...: runs a Windows program of the session; output on stdout, exit status passed on.
wine_run() { "$wine_env" "$MIREL_WINE_SESSION" run "$@"; }

fail() {
    echo "FAILED: $*" >&2
    failures=$((failures + 1))
}

# expect_status STATUS WHAT COMMAND...: runs COMMAND (its output passes through); it must end with STATUS.
expect_status() {
    local expected="$1" what="$2" status=0
    shift 2
    "$@" || status=$?
    [ "$status" -eq "$expected" ] || fail "$what ended with status $status, not $expected"
}

# expect_line OUTPUT LINE [WHAT]: OUTPUT holds LINE as one whole line.
expect_line() {
    if ! grep -Fxq -- "$2" <<<"$1"; then
        fail "${3:-output} lacks the line: $2"
    fi
}

# expect_no_line_matching OUTPUT REGEX [WHAT]
expect_no_line_matching() {
    if grep -Eq -- "$2" <<<"$1"; then
        fail "${3:-output} has a line matching $2: $(grep -E -- "$2" <<<"$1" | head -n1)"
    fi
}

# host_calls OUTPUT FUNCTION: the count of FUNCTION on the "host calls:" line (0 when absent).
host_calls() {
    local line count
    line=$(grep '^host calls:' <<<"$1" || true)
    count=$(tr ' ' '\n' <<<"$line" | sed -n "s/^$2=//p")
    echo "${count:-0}"
}

expect_calls() {
    local got
    got=$(host_calls "$1" "$2")
    [ "$got" = "$3" ] || fail "${4:-run}: $2 called $got times, expected $3"
}

finish() {
    if [ "$failures" -gt 0 ]; then
        echo "$failures check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}
