#!/bin/sh
# Clicks through glwclipart on a copy of the demo application folder under Xvfb and checks, by pixels, what
# the user must see: the thumbnail cells playing, the selection marker under the selected cell, the save
# panel over the cells with its text box readable, the clip saved through it, the update question's
# paragraph break, and the package maker placed over its button.
# Saves live-cell-1.png and live-cell-2.png (the window a moment apart), selection-marker.png,
# save-panel.png, update-question.png, package-maker.png and package-maker-screen.png (the whole screen)
# under <build>/screenshots/.
# Usage: library-screens.sh <build folder>. Exits 77 (skipped) when glwclipart, Xvfb, xdotool or ImageMagick
# is missing.
set -eu
build="${1:?usage: library-screens.sh <build folder>}"
build="$(cd "$build" && pwd)"
out="$build/screenshots"
. "$(dirname "$0")/../support/desktop-test.sh"
[ -x "$build/app/glwclipart" ] || skip "glwclipart is not built"
require_tools Xvfb xdotool import convert
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A copy of the demo folder, so that the saved clip never lands in the build's own.
copy_demo_folder "$build" "$work/app"

support="$(cd "$(dirname "$0")/../support" && pwd)"
"$support/xvfb-run-free" -s "-screen 0 1280x1024x24" sh -s "$work/app" "$out" "$support" <<'INNER'
set -eu
app="$1"; out="$2"
. "$3/wait.sh"
cd "$app"
unset GLW_UI GLW_SCRIPT
QT_QPA_PLATFORM=xcb ./glwclipart >"$out/library-screens.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
fail() { echo "$1"; exit 1; }
# The pixel at x y of a picture as "r,g,b" (0 to 255).
pixel() { convert "$1" -format "%[fx:int(255*u.p{$2,$3}.r)],%[fx:int(255*u.p{$2,$3}.g)],%[fx:int(255*u.p{$2,$3}.b)]" info:; }
# Grabs the window of that title (cropped from the root window) into the file.
grab() {
    geometry=$(xdotool search --onlyvisible --name "$1" getwindowgeometry --shell %@ 2>/dev/null | tr '\n' ' ')
    eval "$geometry"
    import -window root "$out/root.png"
    convert "$out/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
    rm -f "$out/root.png"
}
# The cells keep playing, so the screen never stands still: each step waits for what its click shows.
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click 1; }

# The main window: wait until it shows at its designed size.
tries=0
while :; do
    sleep 0.5
    tries=$((tries + 1))
    [ $tries -lt 60 ] || fail "the main window did not show"
    kill -0 "$pid" 2>/dev/null || fail "glwclipart ended: $(cat "$out/library-screens.log")"
    geometry=$(xdotool search --onlyvisible --name "Glintwave" getwindowgeometry --shell %@ 2>/dev/null | tr '\n' ' ') || continue
    eval "$geometry"
    [ "${WIDTH:-0}x${HEIGHT:-0}" = "960x640" ] && break
done
wx=$X; wy=$Y

# 0. The cells play: the third cell of Banners (welcome.swf, whose sprite turns) changes between grabs
# taken a moment apart. (Its square looks the same again after a quarter turn, three frames: the grabs
# are taken at uneven moments until one differs.) The first cell's clip stands still: its grabs are alike.
# The engine starts with the window: first wait until both cells show more than their white background.
colours() { convert "$1" -crop "116x116+$2+66" +repage -unique-colors -format '%w' info:; }
tries=0
while :; do
    grab Glintwave "$out/live-cell-1.png"
    [ "$(colours "$out/live-cell-1.png" 240)" -gt 2 ] && [ "$(colours "$out/live-cell-1.png" 478)" -gt 2 ] && break
    tries=$((tries + 1))
    [ $tries -lt 60 ] || fail "the cells never showed their clips"
    sleep 0.5
done
sleep 0.5
grab Glintwave "$out/live-cell-1.png"
cellDiff() { compare -metric AE -crop "116x116+$1+$2" "$out/live-cell-1.png" "$out/live-cell-2.png" null: 2>&1 || true; }
changed=0
for pause in 0.13 0.21 0.34 0.17 0.29 0.4; do
    sleep "$pause"
    grab Glintwave "$out/live-cell-2.png"
    changed=$(cellDiff 478 66)
    [ "$changed" -lt 4 ] || break
done
still=$(cellDiff 240 66)
[ "$changed" -ge 4 ] || fail "the playing cell did not change between grabs ($changed pixels)"
[ "$still" -eq 0 ] || fail "the cell of a still clip changed between two grabs ($still pixels)"
echo "playing cell changed: $changed pixels (a still clip's cell: $still)"

# 1. Select the second cell: the marker, a 4-pixel bar in dark blue, lies along the cell's bottom edge.
click 410 116
marker_shows() {
    grab Glintwave "$out/selection-marker.png"
    marker=$(pixel "$out/selection-marker.png" 417 180)
    [ "$marker" = "0,0,160" ]
}
wait_until 10 marker_shows || true
[ "$marker" = "0,0,160" ] || fail "no selection marker under the selected cell (pixel $marker)"
echo "selection marker under the selected cell: $marker"

# 2. Save SWF To Clipart: the panel covers the cells; its text box is white around the name.
formBack=$(pixel "$out/selection-marker.png" 600 10)
click 118 478
panel_shows() {
    grab Glintwave "$out/save-panel.png"
    panelBack=$(pixel "$out/save-panel.png" 420 298)
    [ "$panelBack" = "$formBack" ]
}
wait_until 10 panel_shows || true
[ "$panelBack" = "$formBack" ] || fail "the save panel is covered by the cells (pixel $panelBack, form $formBack)"
box=$(pixel "$out/save-panel.png" 575 179)
[ "$box" = "255,255,255" ] || fail "the save panel's text box is covered (pixel $box)"
dark=$(convert "$out/save-panel.png" -crop 100x16+448+171 -colorspace gray -threshold 40% -negate -format '%[fx:int(mean*1600)]' info:)
[ "$dark" -gt 20 ] || fail "the save panel's file name cannot be read ($dark dark pixels)"
echo "save panel over the cells: background $panelBack, text box $box, $dark dark pixels of text"

# Save the clip under a new name through the panel: the file is in the category, the panel is gone.
xdotool mousemove $((wx + 516)) $((wy + 179)) click --repeat 3 1
xdotool key ctrl+a type "kept.swf"
click 418 245
wait_file "$app/CLTemplates/Banners/kept.swf" 10 || true
[ -f "$app/CLTemplates/Banners/kept.swf" ] || fail "the clip was not saved into the category"
cmp -s "$app/CLTemplates/Banners/kept.swf" "$app/CLTemplates/Banners/sale.swf" || fail "the saved clip differs"
echo "saved CLTemplates/Banners/kept.swf through the panel"

# 3. Updates: the question's paragraph break shows as an empty line between two blocks of text.
click 43 22
[ -n "$(wait_window Closing 10)" ] || fail "the update question did not show"
question_drawn() {
    grab Closing "$out/update-question.png"
    ink=$(convert "$out/update-question.png" -colorspace gray -threshold 50% -negate -format '%[fx:int(mean*w*h)]' info:)
    [ "$ink" -gt 100 ]
}
wait_until 10 question_drawn || true
rows=$(convert "$out/update-question.png" -crop "$((WIDTH - 20))x$((HEIGHT - 60))+10+10" +repage \
    -colorspace gray -threshold 50% -negate -scale "1x$((HEIGHT - 60))!" -depth 8 txt:- |
    awk -F'[()]' 'NR > 1 { printf "%d", ($2 + 0 > 3) }')
echo "text rows of the message box: $rows"
# Blocks of text: runs of rows with ink. A paragraph break leaves a gap at least as tall as a line of text.
echo "$rows" | awk '{
    n = 0; gap = 0; biggap = 0; inside = 0
    for (i = 1; i <= length($0); i++) {
        c = substr($0, i, 1)
        if (c == "1") { if (!inside) { n++; if (n > 1 && gap >= 10) biggap++ } inside = 1; gap = 0 }
        else { inside = 0; gap++ }
    }
    exit !(biggap >= 1)
}' || fail "the update question shows no paragraph break"
echo "update question shows its paragraph break"
# The box is centred on the 1280 x 1024 screen.
[ $((X + WIDTH / 2 - 640)) -le 1 ] && [ $((640 - X - WIDTH / 2)) -le 1 ] && [ $((Y + HEIGHT / 2 - 512)) -le 1 ] &&
    [ $((512 - Y - HEIGHT / 2)) -le 1 ] || fail "the message box is at $X,$Y (${WIDTH}x$HEIGHT), not centred"
echo "message box centred: $X,$Y"
# No: the program keeps running.
xdotool mousemove $((X + 181)) $((Y + 120)) click 1
closing_gone() { ! xdotool search --onlyvisible --name Closing >/dev/null 2>&1; }
wait_until 10 closing_gone || fail "the update question did not close"

# 4. Create An Import Library: the package maker opens over its button, its bottom edge one pixel below the
# button's top edge, its left edge on the button's.
click 118 562
[ -n "$(wait_window "Import Maker" 10)" ] || fail "the package maker did not open"
grab "Import Maker" "$out/package-maker.png"
[ "$X" -eq $((wx + 8)) ] && [ $((Y + HEIGHT)) -eq $((wy + 550 + 1)) ] ||
    fail "the package maker is at $X,$Y (${WIDTH}x$HEIGHT), not over its button at $((wx + 8)),$((wy + 550))"
echo "package maker over its button: $X,$Y"
import -window root "$out/package-maker-screen.png"
INNER
