#!/usr/bin/env bash
# The module's real dialog under Wine, worked by the scripted user through its live controls: what it shows
# when it opens (entries, preselection, texts, owner, font), what OK, Cancel, the close box, Escape and Enter do
# to the settings the next run shows, the 8-bit dialog functions below host version 0x11000000, and the "No
# Changes" message box with its exact caption and text.
#
# Each case runs `FINALE.EXE invoke` (a document of one staff without instrument changes, so an accepted
# dialog always ends in the message box) and lists what the report must hold:
#   line: TEXT       a whole line of the report
#   absent: REGEX    no line matches
#   calls: FX_NAME=N the module called the host function N times
source "$(dirname "$0")/lib.sh"

# The text of the real "No Changes" box, as the module words it (a line feed between the sentences).
no_changes_text='"No changes were made to the document.\nTo visually update instrument changes, please select a region that covers instrument changes made with Finale'"'"'s Change Instrument utility."'

# run_case NAME ARGS... with the expectations on standard input.
run_case() {
    local name="$1"
    shift
    local expectations out kind what before=$failures
    expectations=$(cat)
    out=$(wine_run "$MIREL_BUILD/FINALE.EXE" invoke "$@") || { fail "$name: FINALE.EXE failed"; return; }
    main=$(sed -n 's/^main window: //p' <<<"$out")
    while IFS= read -r expectation; do
        [ -n "$expectation" ] || continue
        kind=${expectation%%: *}
        what=${expectation#*: }
        what=${what//@MAIN@/$main}
        case "$kind" in
        line) expect_line "$out" "$what" "$name" ;;
        absent) expect_no_line_matching "$out" "$what" "$name" ;;
        calls) expect_calls "$out" "${what%%=*}" "${what#*=}" "$name" ;;
        *) fail "$name: bad expectation '$expectation'" ;;
        esac
    done <<<"$expectations"
    if [ "$failures" -gt "$before" ]; then
        echo "--- report of $name:" >&2
        echo "$out" >&2
    fi
}

run_case "defaults, OK" --end ok <<EOF
line: invoke 1 answered 0
line: dialog 1 caption: "Mirel Instrument Change"
line: dialog 1 owner: @MAIN@
line: dialog 1 font: "MS Sans Serif"
line: dialog 1 entries: "Dynamics" "Technique Text" "Tempo Marks" "Expressive Text"
line: dialog 1 selected: 2
line: dialog 1 prefix: "To "
line: dialog 1 suffix: ":"
line: dialog 1 last button: OK
line: dialog 1 ended by the module: yes
line: message box 1 caption: "No Changes"
line: message box 1 text: $no_changes_text
line: message box 1 owner: @MAIN@
line: message box 1 icon: information
line: message box 1 buttons: "OK"
absent: ^message box 2
calls: FX_Dialog=1
calls: FX_EndDialog=1
calls: FX_GetCurrentWindowInfo=1
calls: FX_GetDlgString_UTF16=2
calls: FX_SetDlgString_UTF16=2
calls: FX_GetDlgString=0
calls: FX_SetDlgString=0
EOF

run_case "typed texts and a picked entry are read back and shown by the next run" \
    --category "Tempo Marks" --prefix "Zur " --suffix "" --repeat 2 <<EOF
line: dialog 1 at the end: selected 3, prefix "Zur ", suffix ""
line: dialog 2 selected: 3
line: dialog 2 prefix: "Zur "
line: dialog 2 suffix: ""
line: message box 2 caption: "No Changes"
EOF

run_case "a category picked by its entry number" --category 4 --repeat 2 <<EOF
line: dialog 2 selected: 4
EOF

run_case "text beyond 8 bits through the UTF-16 functions" --prefix "Zur Fl€te " --suffix "…" --repeat 2 <<EOF
line: dialog 2 prefix: "Zur Fl€te "
line: dialog 2 suffix: "…"
EOF

# ending, and what the dialog received from it
for ending in "cancel:Cancel" "close:none, close message" "escape:Cancel"; do
    run_case "${ending%%:*} after typing stores nothing" --category 1 --prefix "Zur " --suffix "!" \
        --end "${ending%%:*}" --repeat 2 <<EOF
line: invoke 1 answered 0
line: dialog 1 at the end: selected 1, prefix "Zur ", suffix "!"
line: dialog 1 last button: ${ending#*:}
line: dialog 1 ended by the module: yes
line: dialog 2 selected: 2
line: dialog 2 prefix: "To "
line: dialog 2 suffix: ":"
absent: ^message box
calls: FX_Dialog=2
calls: FX_EndDialog=2
calls: FX_GetDlgString_UTF16=0
EOF
done

run_case "Enter presses the default button, OK" --prefix "Zur " --end enter --repeat 2 <<EOF
line: dialog 1 last button: OK
line: dialog 2 prefix: "Zur "
line: message box 1 caption: "No Changes"
EOF

run_case "of two equal names the later one is preselected" --categories "Technique Text,Dynamics,Technique Text" <<EOF
line: dialog 1 entries: "Technique Text" "Dynamics" "Technique Text"
line: dialog 1 selected: 3
EOF

run_case "no category of the remembered name: the first entry" --categories "Dynamics,Tempo Marks" <<EOF
line: dialog 1 selected: 1
EOF

run_case "no categories at all: OK ends as if cancelled" --no-categories --prefix "Zur " --repeat 2 <<EOF
line: dialog 1 entries:
line: dialog 1 selected: 0
line: dialog 1 ended by the module: yes
line: dialog 2 prefix: "To "
absent: ^message box
EOF

run_case "8-bit dialog functions below host version 0x11000000" \
    --host-version 0x10000000 --prefix "Zur Flöte " --repeat 2 <<EOF
line: dialog 1 prefix: "To "
line: dialog 1 suffix: ":"
line: dialog 2 prefix: "Zur Flöte "
line: message box 1 caption: "No Changes"
calls: FX_GetDlgString=4
calls: FX_SetDlgString=4
calls: FX_GetDlgString_UTF16=0
calls: FX_SetDlgString_UTF16=0
EOF

run_case "a user who does nothing: the host gives the dialog up" --prefix "Zur " --end none --repeat 2 <<EOF
line: invoke 1 answered 0
line: dialog 1 ended by the module: no, given up by the host
line: dialog 2 prefix: "To "
absent: ^message box
calls: FX_EndDialog=0
EOF

run_case "an entry that is not there is noted, the preselection stays" --category "Rehearsal Marks" <<EOF
line: dialog 1 note: there is no category named "Rehearsal Marks"
line: dialog 1 at the end: selected 2, prefix "To ", suffix ":"
EOF

run_case "no window information: the dialog has no owner" --no-window-info <<EOF
line: dialog 1 owner: 0x0
line: message box 1 owner: @MAIN@
EOF

finish
