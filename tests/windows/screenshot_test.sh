#!/usr/bin/env bash
# A picture of the module's real dialog on the session's X server: the scripted user holds the dialog open
# while ImageMagick takes the screen, cut to the dialog's rectangle, once its X window is viewable and the
# picture has settled. The picture must be the dialog's size and
# show more than a flat area. It is kept as $MIREL_BUILD/dialog.png (and copied to MIREL_SCREENSHOT_OUT when
# that is set, e.g. docs/dialog.png).
source "$(dirname "$0")/lib.sh"
need import compare identify xwininfo

eval "$("$wine_env" "$MIREL_WINE_SESSION" env)"
[ -n "${DISPLAY:-}" ] || stop "the Wine session has no X server (run wine_session_setup first)"

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

# The dialog's own X window must be mapped and viewable before the screen is taken.
viewable=no
for _ in $(seq 100); do
    if xwininfo -display "$DISPLAY" -name "Mirel Instrument Change" 2>/dev/null | grep -q 'Map State: IsViewable'; then
        viewable=yes
        break
    fi
    sleep 0.1
done
[ "$viewable" = yes ] || fail "the dialog's window never became viewable on $DISPLAY"

# Then its picture is taken until two takes in a row agree and show more than a flat area: the paint has
# reached the X server.
take() { import -display "$DISPLAY" -window root -crop "${width}x${height}+${left}+${top}" +repage "$1"; }
settled=no
take "$work/dialog.png"
for _ in $(seq 50); do
    take "$work/next.png"
    if [ "$(compare -metric AE "$work/dialog.png" "$work/next.png" null: 2>&1 || true)" = 0 ] &&
        [ "$(identify -format '%k' "$work/next.png")" -ge 4 ]; then
        settled=yes
        break
    fi
    mv "$work/next.png" "$work/dialog.png"
done
[ "$settled" = yes ] || fail "the dialog's picture did not settle"
rm -f "$hold"
wait "$program" || fail "FINALE.EXE failed"
cat "$work/report"

size=$(identify -format '%wx%h' "$work/dialog.png")
[ "$size" = "${width}x${height}" ] || fail "picture is $size, the dialog ${width}x${height}"
colours=$(identify -format '%k' "$work/dialog.png")
[ "$colours" -ge 4 ] || fail "the picture has $colours colours: nothing drawn"
expect_line "$(cat "$work/report")" 'dialog 1 caption: "Mirel Instrument Change"'
expect_line "$(cat "$work/report")" 'dialog 1 font: "MS Sans Serif"'

# The same dialog as the README's picture (docs/dialog.png), from either build: at most 2% of its pixels differ.
differing=$(compare -metric AE -fuzz 10% "$work/dialog.png" "$MIREL_SOURCE/docs/dialog.png" null: 2>&1 || true)
if ! [[ "$differing" =~ ^[0-9]+$ ]] || [ "$differing" -gt $((width * height / 50)) ]; then
    fail "the dialog differs from docs/dialog.png: $differing pixels"
fi

cp "$work/dialog.png" "$MIREL_BUILD/dialog.png"
if [ -n "${MIREL_SCREENSHOT_OUT:-}" ]; then
    cp "$work/dialog.png" "$MIREL_SCREENSHOT_OUT"
fi
echo "dialog ${width}x${height} at ${left},${top}, $colours colours: $MIREL_BUILD/dialog.png"
finish
