# Shared by the Windows tests: running FINALE.EXE in the Wine session and checking its output.
# The test sets MIREL_BUILD (the Windows build folder), MIREL_SOURCE, MIREL_WINE_SESSION, WINEARCH and
# MIREL_OBJDUMP (see CMakeLists.txt).
set -euo pipefail

: "${MIREL_BUILD:?}" "${MIREL_SOURCE:?}" "${MIREL_WINE_SESSION:?}"
wine_env="$MIREL_SOURCE/scripts/wine-env.sh"
failures=0

# A machine that cannot run this kind of Wine at all: the test is skipped (status 77) and says why. Wine that
# is missing or broken is a failure.
probe_status=0
probe_reason=$("$wine_env" "$MIREL_WINE_SESSION" probe) || probe_status=$?
if [ "$probe_status" -ne 0 ]; then
    echo "${WINEARCH:-win32}: $probe_reason"
    [ "$probe_status" -eq 77 ] && echo "SKIPPED"
    exit "$probe_status"
fi

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

# The message of the "No Changes" box, as the module words it (a line feed between the sentences).
no_changes_text='"No changes were made to the document.\nTo visually update instrument changes, please select a region that covers instrument changes made with Finale'"'"'s Change Instrument utility."'
