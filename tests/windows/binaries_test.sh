#!/usr/bin/env bash
# The two Windows binaries as files: FINALE.EXE exports exactly the twenty FX_ functions under their plain
# names; the module's version block, read at run time with GetFileVersionInfoW, gives 1.0.5.0 and its texts.
# (The module's exports, imports and resources are checked by tests/check_windows_module.sh.)
source "$(dirname "$0")/lib.sh"

expected="FX_CreateEData
FX_DeleteEData
FX_Dialog
FX_EnableDlgItem
FX_EndDialog
FX_FontNumToName
FX_GetCurrentEnigmaDocument
FX_GetCurrentWindow
FX_GetCurrentWindowInfo
FX_GetDlgItemVal
FX_GetDlgString
FX_GetDlgString_UTF16
FX_InstToSlot
FX_LoadEData
FX_NextEData
FX_SaveEData
FX_SetDlgItemVal
FX_SetDlgString
FX_SetDlgString_UTF16
FX_SlotToInst"
exports=$("${MIREL_OBJDUMP:?}" -p "$MIREL_BUILD/FINALE.EXE" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[ 0-9]*\] //p' | sort)
if [ "$exports" != "$expected" ]; then
    fail "FINALE.EXE exports differ from the twenty FX_ functions"
    diff <(echo "$expected") <(echo "$exports") >&2 || true
fi

out=$(wine_run "$MIREL_BUILD/FINALE.EXE" version-info) || fail "FINALE.EXE version-info failed"
echo "$out"
expect_line "$out" "Fixed file version: 1.0.5.0"
expect_line "$out" "Fixed product version: 1.0.5.0"
expect_line "$out" "FileDescription: Mirel Instrument Change plug-in for Finale(R)"
expect_line "$out" "ProductName: Mirel Instrument Change"
expect_line "$out" "FileVersion: 1.0.5.0"
expect_line "$out" "ProductVersion: 1.0.5.0"
finish
