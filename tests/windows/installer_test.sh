#!/usr/bin/env bash
# The installer (the product's, or the 64-bit test build of the same script) in a fresh Wine prefix of its kind
# with a fake Finale 2012 (FINALE.EXE, the stand-in host, in
# C:\Program Files (x86)\Finale 2012 with an empty Plug-ins folder but for a text file named like a module):
# the silent install puts the module into the Plug-ins folder and registers the uninstaller; FINALE.EXE then
# lists the command in its Plug-ins menu and runs it as the Linux stand-in does; the silent uninstall removes
# the module, the uninstaller and the registry entry, and leaves the folder's other file alone. A silent install
# that is given no folder takes the newest Finale it finds, and gives up with status 2 when there is none.
# The 32-bit installer needs `cmake --build --preset win32 --target package` first; the 64-bit one is built with
# the win64 tree.
source "$(dirname "$0")/lib.sh"
need makensis
installer="${MIREL_INSTALLER:?}"
[ -f "$installer" ] || stop "no $installer: build it first (see above)"
need_linux_standin

# A session of its own, so that the prefix is fresh and the shared one keeps no installation.
MIREL_WINE_SESSION="$work/wine"
trap '"$wine_env" "$MIREL_WINE_SESSION" stop; rm -rf "$work"' EXIT
"$wine_env" "$MIREL_WINE_SESSION" setup

# ---- No Finale yet and no folder given: nothing to install into.
expect_status 2 "a silent install without a folder or a Finale" wine_run "$installer" /S

drive_c="$MIREL_WINE_SESSION/prefix/drive_c"
finale="$drive_c/Program Files (x86)/Finale 2012"
plugins="$finale/Plug-ins"
mkdir -p "$plugins"
cp "$MIREL_BUILD/FINALE.EXE" "$finale/"
echo "not a module" >"$plugins/notes.fxt"
finale_exe='C:\Program Files (x86)\Finale 2012\FINALE.EXE'
uninstaller="Uninstall Mirel Instrument Change.exe"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\MirelInstrumentChange'

registry_entry() { wine_run reg query "$key" 2>/dev/null | tr -d '\r'; }

# wait_for_uninstall FOLDER: the uninstaller copies itself away and returns at once; its copy does the work.
wait_for_uninstall() {
    for _ in $(seq 60); do
        if [ ! -e "$1/mirelinstrumentchange.fxt" ] && [ ! -e "$1/$uninstaller" ] && ! registry_entry >/dev/null; then
            return 0
        fi
        sleep 0.5
    done
}

# ---- Silent install into the fake Finale 2012. /D= must come last and unquoted: Wine joins the arguments with
# single spaces, so the folder is passed in words.
wine_run "$installer" /S '/D=C:\Program' 'Files' '(x86)\Finale' '2012\Plug-ins' || fail "the silent install failed"
cmp -s "$plugins/mirelinstrumentchange.fxt" "$MIREL_BUILD/mirelinstrumentchange.fxt" ||
    fail "the installed module is not the one built"
[ -f "$plugins/$uninstaller" ] || fail "no uninstaller in the Plug-ins folder"
entry=$(registry_entry) || fail "no uninstall entry in the registry"
echo "$entry"
grep -Eq '^ +DisplayName +REG_SZ +Mirel Instrument Change \(Finale plug-in\)$' <<<"$entry" ||
    fail "the uninstall entry has no DisplayName"
grep -Eq '^ +DisplayVersion +REG_SZ +[0-9]+\.[0-9]+\.[0-9]+$' <<<"$entry" || fail "no DisplayVersion"
grep -Fq 'REG_SZ    "C:\Program Files (x86)\Finale 2012\Plug-ins\Uninstall Mirel Instrument Change.exe"' <<<"$entry" ||
    fail "the UninstallString does not name the uninstaller in the Plug-ins folder"

# ---- The application finds the plug-in in its Plug-ins folder.
menu=$(wine_run "$finale_exe" menu) || fail "FINALE.EXE menu failed"
echo "$menu"
expect_line "$menu" "  Mirel Instrument Change...  [mirelinstrumentchange.fxt]" "menu after the install"
grep -Fq 'Left out notes.fxt: cannot load C:\Program Files (x86)\Finale 2012\Plug-ins\notes.fxt: error ' <<<"$menu" ||
    fail "menu after the install does not report notes.fxt as left out"

# ---- Run by its menu entry: the same account and result score as the Linux stand-in's run.
score="$MIREL_SOURCE/examples/chamber.json"
"$linux" run "$score" --out "$work/linux.json" | grep -v '^Module: ' >"$work/linux.txt" ||
    fail "the Linux stand-in's run failed"
wine_run "$finale_exe" run --command "Mirel Instrument Change..." "$score" --out "$work/windows.json" \
    >"$work/windows-full.txt" || fail "FINALE.EXE run --command failed"
grep -Fxq 'Module: C:\Program Files (x86)\Finale 2012\Plug-ins\mirelinstrumentchange.fxt' "$work/windows-full.txt" ||
    fail "run --command did not run the installed module"
grep -v '^Module: ' "$work/windows-full.txt" | sed "s#$work/windows.json#$work/linux.json#" >"$work/windows.txt"
diff -u "$work/linux.txt" "$work/windows.txt" >&2 || fail "run --command: the accounts differ from Linux"
cmp -s "$work/linux.json" "$work/windows.json" || fail "run --command: the result score differs from Linux"
grep -q '^FinaleExtensionInvoke answered 1' "$work/windows.txt" || fail "run --command changed nothing"

# ---- Silent uninstall, as Programs and Features would start it.
expect_status 0 "the silent uninstall" \
    wine_run 'C:\Program Files (x86)\Finale 2012\Plug-ins\Uninstall Mirel Instrument Change.exe' /S
wait_for_uninstall "$plugins"
[ ! -e "$plugins/mirelinstrumentchange.fxt" ] || fail "the uninstall left the module"
[ ! -e "$plugins/$uninstaller" ] || fail "the uninstall left the uninstaller"
[ -f "$plugins/notes.fxt" ] || fail "the uninstall removed a file that is not its own"
registry_entry >/dev/null && fail "the uninstall left its registry entry"
menu=$(wine_run "$finale_exe" menu) || fail "FINALE.EXE menu failed after the uninstall"
echo "$menu"
expect_no_line_matching "$menu" 'Mirel Instrument Change' "menu after the uninstall"
expect_line "$menu" "  (empty)" "menu after the uninstall"

# ---- Without /D the installer takes the newest Finale it finds under the 32-bit Program Files folder: the only
# one of a 32-bit prefix, "Program Files (x86)" in a 64-bit one.
program_files="$drive_c/Program Files"
[ "${WINEARCH:-win32}" = win64 ] && program_files="$drive_c/Program Files (x86)"
for version in 2011 2014.5; do
    mkdir -p "$program_files/Finale $version/Plug-ins"
    cp "$MIREL_BUILD/FINALE.EXE" "$program_files/Finale $version/Finale.exe"
done
expect_status 0 "the silent install into the Finale found" wine_run "$installer" /S
[ -f "$program_files/Finale 2014.5/Plug-ins/mirelinstrumentchange.fxt" ] ||
    fail "the silent install did not go into the newest Finale (2014.5)"
[ ! -e "$program_files/Finale 2011/Plug-ins/mirelinstrumentchange.fxt" ] ||
    fail "the silent install went into an older Finale"
finish
