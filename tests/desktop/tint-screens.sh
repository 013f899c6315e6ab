#!/bin/sh
# Opens a demo clip in the editor of glwclipart under Xvfb, picks a tint and then a background colour with
# their dialogs, and checks by pixels that the live preview shows both: what the clip draws moves toward the
# tint while the stage's background stays, then the background takes the chosen colour and the tint stays.
# Saves tint-before.png, tint-after.png, tint-background.png (the preview) and tint-controls.png (the tint
# and background controls) under <build>/screenshots/.
# Usage: tint-screens.sh <build folder>. Exits 77 (skipped) when glwclipart, the movie player, Xvfb, xdotool
# or ImageMagick is missing.
set -eu
build="${1:?usage: tint-screens.sh <build folder>}"
build="$(cd "$build" && pwd)"
out="$build/screenshots"
. "$(dirname "$0")/../support/desktop-test.sh"
require_desktop "$build"
require_tools Xvfb xdotool import convert
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
copy_demo_folder "$build" "$work/app"

support="$(cd "$(dirname "$0")/../support" && pwd)"
"$support/xvfb-run-free" -s "-screen 0 1280x1024x24" sh -s "$work/app" "$out" "$support" <<'INNER'
set -eu
app="$1"; out="$2"
. "$3/wait.sh"
cd "$app"
unset GLW_UI GLW_SCRIPT
QT_QPA_PLATFORM=xcb ./glwclipart >"$out/tint-screens.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
fail() { echo "$1"; exit 1; }
# The pixel at x y of a picture as "r g b" (0 to 255).
pixel() { convert "$1" -format "%[fx:int(255*u.p{$2,$3}.r)] %[fx:int(255*u.p{$2,$3}.g)] %[fx:int(255*u.p{$2,$3}.b)]" info:; }
# Grabs the part x y w h of the main window into the file.
grab() {
    import -window root "$out/root.png"
    convert "$out/root.png" -crop "$4x$5+$((wx + $2))+$((wy + $3))" +repage "$1"
    rm -f "$out/root.png"
}
click() { xdotool mousemove $((wx + $1)) $((wy + $2)) click 1; settle; }
# Waits until the preview (480 x 400 at 236,46 of the window) shows pixel x y (of the preview) within 40 of
# r g b in each channel, and leaves the preview in the file.
waitPreview() {
    file=$1; x=$2; y=$3; want="$4 $5 $6"
    tries=0
    while :; do
        grab "$file" 236 46 480 400
        got=$(pixel "$file" "$x" "$y")
        if echo "$got $want" | awk '{ for (i = 1; i <= 3; i++) { d = $i - $(i + 3); if (d < -40 || d > 40) exit 1 } }'; then
            return 0
        fi
        tries=$((tries + 1))
        [ $tries -lt 40 ] || fail "the preview shows $got at $x,$y of $file, not $want"
        sleep 0.5
    done
}
# Picks html in the colour dialog that the click at x y of the window opens.
pickColour() {
    click "$1" "$2"
    tries=0
    until dialog=$(xdotool search --onlyvisible --name "Select Color" getwindowgeometry --shell %@ 2>/dev/null | tr '\n' ' '); do
        tries=$((tries + 1))
        [ $tries -lt 20 ] || fail "the colour dialog did not open"
        sleep 0.5
    done
    eval "$dialog"
    xdotool mousemove $((X + 78)) $((Y + 157)) click --repeat 3 1
    xdotool key ctrl+a type "$3"
    xdotool key Return
    xdotool mousemove $((X + 43)) $((Y + 187)) click 1
    settle
}

tries=0
while :; do
    sleep 0.5
    tries=$((tries + 1))
    [ $tries -lt 60 ] || fail "the main window did not show"
    kill -0 "$pid" 2>/dev/null || fail "glwclipart ended: $(cat "$out/tint-screens.log")"
    geometry=$(xdotool search --onlyvisible --name "Glintwave" getwindowgeometry --shell %@ 2>/dev/null | tr '\n' ' ') || continue
    eval "$geometry"
    [ "${WIDTH:-0}x${HEIGHT:-0}" = "960x640" ] && break
done
wx=$X; wy=$Y
settle

# The sale banner (300 x 250, shown 1.6 times as large): the top of its picture at 280,120 of the preview
# is yellow, the stage at 240,240 white (the editor's background), the face of its button at 48,320 red.
click 410 116
click 147 612
waitPreview "$out/tint-before.png" 280 120 255 218 88
before=$(pixel "$out/tint-before.png" 48 320)
echo "before the tint: picture $(pixel "$out/tint-before.png" 280 120), button $before"

# A blue tint (-256, -256, 256): what the clip draws turns blue; the stage stays white.
pickColour 547 515 "#0000FF"
waitPreview "$out/tint-after.png" 280 120 0 0 255
[ "$(pixel "$out/tint-after.png" 240 240)" = "255 255 255" ] || fail "the tint changed the stage's background"
after=$(pixel "$out/tint-after.png" 48 320)
echo "$before $after" | awk '{ exit !($6 > $3 + 100 && $4 < $1 - 100) }' ||
    fail "the button did not move toward the tint ($before before, $after after)"
echo "after the tint: picture $(pixel "$out/tint-after.png" 280 120), button $after"

# The background colour: the stage takes it, the tint stays.
pickColour 375 515 "#336699"
waitPreview "$out/tint-background.png" 240 240 51 102 153
waitPreview "$out/tint-background.png" 280 120 0 0 255
echo "with the background: stage $(pixel "$out/tint-background.png" 240 240), picture $(pixel "$out/tint-background.png" 280 120)"

# The controls: the background swatch and the tint swatch show the chosen colours on the form's colour.
grab "$out/tint-controls.png" 236 500 480 30
form=$(pixel "$out/tint-controls.png" 2 2)
[ "$(pixel "$out/tint-controls.png" 100 14)" = "51 102 153" ] || fail "the background swatch does not show the colour"
[ "$(pixel "$out/tint-controls.png" 254 16)" = "0 0 255" ] || fail "the tint swatch does not show the tint"
[ "$(pixel "$out/tint-controls.png" 200 10)" = "$form" ] ||
    fail "the tint control does not stand on the form's colour ($(pixel "$out/tint-controls.png" 200 10), form $form)"
echo "controls: background and tint swatches shown on the form's colour $form"
INNER
