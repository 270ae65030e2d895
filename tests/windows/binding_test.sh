#!/usr/bin/env bash
# The module finds the host functions in the host's executable through its own GetModuleHandleA and
# GetProcAddress: under the name FINALE.EXE, under FINDEMO.EXE, and not at all under any other name (then no
# host function is ever called and the command does nothing).
source "$(dirname "$0")/lib.sh"

for name in FINALE.EXE FINDEMO.EXE OTHER.EXE; do
    mkdir -p "$work/$name.d"
    cp "$MIREL_BUILD/FINALE.EXE" "$work/$name.d/$name"
    cp "$MIREL_BUILD/mirelinstrumentchange.fxt" "$work/$name.d/"
    out=$(wine_run "$work/$name.d/$name" invoke --end cancel) || fail "$name: FINALE.EXE failed"
    echo "--- $name"
    echo "$out"
    case "$name" in
    OTHER.EXE)
        expect_line "$out" "invoke 1 answered 0" "$name"
        expect_line "$out" "host calls:" "$name"
        expect_no_line_matching "$out" '^dialog ' "$name"
        ;;
    *)
        expect_line "$out" "invoke 1 answered 0" "$name"
        expect_calls "$out" FX_GetCurrentWindowInfo 1 "$name"
        expect_calls "$out" FX_Dialog 1 "$name"
        expect_calls "$out" FX_EndDialog 1 "$name"
        expect_line "$out" 'dialog 1 caption: "Mirel Instrument Change"' "$name"
        [ "$(host_calls "$out" FX_NextEData)" -gt 0 ] || fail "$name: the categories were not walked"
        ;;
    esac
done
finish
