#!/usr/bin/env bash
# The same score files run through the Linux module in mirel-standin and through the Windows module in
# FINALE.EXE under Wine (its real dialog worked by the scripted user, its real message box) give the same
# result: the same exit status, the same printed account (dialog as it opened, how it ended, message box,
# changes), byte-identical result scores and reports. What each account says is the end-to-end tests' (Linux)
# business; the few lines checked here only show that a case reached what its name says.
#
# Each case is one `run` command line. A case whose input is "@previous" runs on the result score of the case
# before it, on each platform its own.
source "$(dirname "$0")/lib.sh"
need_linux_standin

examples="$MIREL_SOURCE/examples"
scores="$MIREL_SOURCE/tests/windows/scores"
cases=0

# run_on PLATFORM_DIR PROGRAM... : runs the command, keeps stdout, stderr and status in PLATFORM_DIR.
run_on() {
    local dir="$1"
    shift
    local status=0
    "$@" >"$dir/stdout" 2>"$dir/stderr" || status=$?
    echo "$status" >"$dir/status"
}

# The printed account without what names this machine's files: the module path and the case's folders.
account() {
    sed -e '/^Module: /d' -e "s#$work/[a-z0-9]*/[a-z]*/##g" "$1"
}

compare() {
    local name="$1" n="$2"
    shift 2
    local input="$1"
    shift
    local l="$work/$n/linux" w="$work/$n/windows" p=$((n - 1))
    mkdir -p "$l" "$w"
    local linput="$input" winput="$input"
    if [ "$input" = "@previous" ]; then
        linput="$work/$p/linux/out.json"
        winput="$work/$p/windows/out.json"
    fi
    run_on "$l" "$linux" run "$linput" "$@" --out "$l/out.json" --report "$l/report.html"
    run_on "$w" wine_run "$MIREL_BUILD/FINALE.EXE" run "$winput" "$@" --out "$w/out.json" --report "$w/report.html"
    cases=$((cases + 1))

    echo "=== $name: exit status $(cat "$l/status") (Linux), $(cat "$w/status") (Windows)"
    [ "$(cat "$l/status")" = "$(cat "$w/status")" ] || fail "$name: exit status differs"
    if ! diff -u <(account "$l/stdout") <(account "$w/stdout") >"$work/$n/diff"; then
        fail "$name: the printed accounts differ"
        cat "$work/$n/diff" >&2
    fi
    for file in out.json report.html; do
        if [ -e "$l/$file" ] || [ -e "$w/$file" ]; then
            cmp -s "$l/$file" "$w/$file" || fail "$name: $file differs"
        fi
    done
    cat "$w/stdout"
    [ -s "$w/stderr" ] && sed 's/^/stderr: /' "$w/stderr"
    return 0
}

# expect_in_account CASE_NUMBER LINE: the Windows account of that case holds LINE.
expect_in_account() { expect_line "$(cat "$work/$1/windows/stdout")" "$2" "case $1"; }

compare "orchestra, default answers" 1 "$examples/orchestra.json"
expect_in_account 1 'Ended with OK: category 5 "Technique Text", prefix "To ", suffix ":".'

compare "orchestra with the host version 0x11000000 layouts" 2 "$examples/orchestra.json" --host-version 0x11000000

compare "chamber, default answers" 3 "$examples/chamber.json"
compare "a second run on the result with another prefix and suffix rewrites" 4 @previous --prefix "Zu " --suffix ""
expect_in_account 4 'Ended with OK: category 2 "Technique Text", prefix "Zu ", suffix "".'

compare "cancelled" 5 "$examples/chamber.json" --cancel --prefix "Zu "
expect_in_account 5 'Ended with Cancel.'
expect_in_account 5 'FinaleExtensionInvoke answered 0: no change reported.'

compare "no instrument change in the selection" 6 "$examples/chamber.json" --select "3-6:*"
expect_in_account 6 'Message box "No Changes":'

compare "repeated with a picked category and new texts" 7 "$examples/chamber.json" \
    --repeat 2 --category "Expressive Text" --prefix "Zur " --suffix "!"
expect_in_account 7 '    > 1  Expressive Text'
expect_in_account 7 '  Prefix: "Zur "'

compare "host version 0x10000000 (8-bit dialog texts): a stale expression removed" 8 "$scores/old_host.json"
expect_in_account 8 'FinaleExtensionInvoke answered 1: the document was changed.'
compare "host version 0x10000000: nothing left to do, a Latin-1 prefix carried over" 9 @previous \
    --prefix "Zur Flöte " --repeat 2
expect_in_account 9 '  Prefix: "Zur Flöte "'
expect_in_account 9 'Message box "No Changes":'

compare "a selection outside the score is refused" 10 "$examples/chamber.json" --select "9:*"
[ "$(cat "$work/10/windows/status")" = 2 ] || fail "a bad selection did not give exit status 2"
[ ! -e "$work/10/windows/out.json" ] || fail "a refused run wrote its result score"

# --in-place replaces the score file itself (a rename over an existing file, which Windows refuses by default).
mkdir -p "$work/inplace"
cp "$examples/chamber.json" "$work/inplace/linux.json"
cp "$examples/chamber.json" "$work/inplace/windows.json"
"$linux" run "$work/inplace/linux.json" --in-place >/dev/null || fail "--in-place failed on Linux"
wine_run "$MIREL_BUILD/FINALE.EXE" run "$work/inplace/windows.json" --in-place >/dev/null ||
    fail "--in-place failed on Windows"
cmp -s "$work/inplace/linux.json" "$work/inplace/windows.json" || fail "--in-place: the rewritten score files differ"
cmp -s "$examples/chamber.json" "$work/inplace/windows.json" && fail "--in-place: the score file was not rewritten"
cmp -s "$work/3/windows/out.json" "$work/inplace/windows.json" || fail "--in-place wrote another score than --out"

# `show` tells a score alike on both.
if ! diff -u <("$linux" show "$examples/orchestra.json") \
    <(wine_run "$MIREL_BUILD/FINALE.EXE" show "$examples/orchestra.json") >"$work/show.diff"; then
    fail "show: the tables differ"
    cat "$work/show.diff" >&2
fi

echo "$cases cases compared"
finish
