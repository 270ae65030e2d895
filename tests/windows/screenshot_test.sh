#!/usr/bin/env bash
# A picture of the module's real dialog on the session's X server: the scripted user holds the dialog open
# while ImageMagick takes the screen, cut to the dialog's rectangle. The picture must be the dialog's size and
# show more than a flat area. It is kept as $MIREL_BUILD/dialog.png (and copied to MIREL_SCREENSHOT_OUT when
# that is set, e.g. docs/dialog.png).
source "$(dirname "$0")/lib.sh"

eval "$("$wine_env" "$MIREL_WINE_SESSION" env)"
[ -n "${DISPLAY:-}" ] || { echo "the Wine session has no X server (run wine_session_setup first)" >&2; exit 1; }

hold="$work/hold"
wine_run "$MIREL_BUILD/FINALE.EXE" invoke \
    --categories "Dynamics,Tempo Marks,Tempo Alterations,Expressive Text,Technique Text,Rehearsal Marks" \
    --hold-file "$hold" --end cancel >"$work/report" &
program=$!

for _ in $(seq 300); do
    [ -s "$hold" ] && break
    kill -0 "$program" 2>/dev/null || break
    sleep 0.1
done
[ -s "$hold" ] || { fail "the dialog did not come up"; wait "$program" || true; finish; }

read -r left top width height <"$hold"
sleep 0.3 # let the last paint reach the X server
import -display "$DISPLAY" -window root -crop "${width}x${height}+${left}+${top}" +repage "$work/dialog.png"
rm -f "$hold"
wait "$program" || fail "FINALE.EXE failed"
cat "$work/report"

size=$(identify -format '%wx%h' "$work/dialog.png")
[ "$size" = "${width}x${height}" ] || fail "picture is $size, the dialog ${width}x${height}"
colours=$(identify -format '%k' "$work/dialog.png")
[ "$colours" -ge 4 ] || fail "the picture has $colours colours: nothing drawn"
expect_line "$(cat "$work/report")" 'dialog 1 caption: "Mirel Instrument Change"'
expect_line "$(cat "$work/report")" 'dialog 1 font: "MS Sans Serif"'

cp "$work/dialog.png" "$MIREL_BUILD/dialog.png"
if [ -n "${MIREL_SCREENSHOT_OUT:-}" ]; then
    cp "$work/dialog.png" "$MIREL_SCREENSHOT_OUT"
fi
echo "dialog ${width}x${height} at ${left},${top}, $colours colours: $MIREL_BUILD/dialog.png"
finish
