#!/usr/bin/env bash
# FINALE.EXE loads the PE32 module with LoadLibraryW, runs the application's start-up sequence and lists the
# command; the Linux stand-in describes its module in the same words.
source "$(dirname "$0")/lib.sh"
need_linux_standin

out=$(wine_run "$MIREL_BUILD/FINALE.EXE" info) || fail "FINALE.EXE info failed"
echo "$out"
expect_line "$out" 'FinaleExtensionVersion(0x12050000) answered 0x11000000'
expect_line "$out" 'FinaleExtensionInit answered 1, flag word 1'
expect_line "$out" 'Command 0 (8-bit):  "Mirel Instrument Change..." - Creates expressions at each instrument change in the region. [Instrument Change]'
expect_line "$out" 'Command 0 (UTF-16): "Mirel Instrument Change..." - Creates expressions at each instrument change in the region. [Instrument Change]'
expect_line "$out" 'FinaleExtensionGetMenuStatus answered 1'
expect_line "$out" 'FinaleExtensionTerminate called'
[ "$(grep -c '^Command ' <<<"$out")" -eq 2 ] || fail "expected exactly one command in each enumeration"

# A module that is not there: a message naming it, status 1.
status=0
missing=$(wine_run "$MIREL_BUILD/FINALE.EXE" info --module 'Z:\nowhere\missing.fxt' 2>&1) || status=$?
[ "$status" -eq 1 ] || fail "a missing module gave status $status"
grep -q 'cannot load Z:\\nowhere\\missing.fxt' <<<"$missing" || fail "no message for a missing module: $missing"

# The Linux module describes itself in the same words.
linux_out=$("$linux" info) || fail "the Linux stand-in's info failed"
if [ "$(grep -v '^Module: ' <<<"$out")" != "$(grep -v '^Module: ' <<<"$linux_out")" ]; then
    fail "the Linux and the Windows module describe themselves differently"
    diff <(grep -v '^Module: ' <<<"$linux_out") <(grep -v '^Module: ' <<<"$out") >&2 || true
fi
finish
