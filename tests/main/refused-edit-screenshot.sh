#!/bin/sh
# A refused edit in a real window under Xvfb: on a copy of the demo application folder, opens the postcard
# clip with Ctrl+P, ticks "Apply", and gives its image a PNG file named photo.jpg. Saves the message box
# that names the refused image to <build>/screenshots/refused-edit-box.png and the editor after it to
# refused-edit.png, and checks by pixels that the box shows text and that the image's row and panel show
# the clip's own image again (as before the edit).
# Usage: refused-edit-screenshot.sh <build folder>
# Exits 77 (skipped) when glwclipart is not built with the desktop renderer and the Flash player, or when
# Xvfb, xdotool or ImageMagick is missing.
set -eu
build="${1:?usage: refused-edit-screenshot.sh <build folder>}"
build="$(cd "$build" && pwd)"
out="$build/screenshots"

. "$(dirname "$0")/../support/desktop-test.sh"
require_desktop "$build"
require_tools xvfb-run xdotool import convert compare

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
copy_demo_folder "$build" "$work"
# A PNG under a JPEG's name: the engine refuses it.
printf '\211PNG\r\n\032\n\0\0\0\015IHDR\0\0\0\001\0\0\0\001\010\002\0\0\0' >"$work/photo.jpg"
mkdir -p "$out"
rm -f "$out/refused-edit-before.png" "$out/refused-edit-box.png" "$out/refused-edit.png"

support="$(cd "$(dirname "$0")/../support" && pwd)"
"$support/xvfb-run-free" -s "-screen 0 1280x1024x24" sh -s "$work" "$out" "$support" <<'INNER'
set -eu
app="$1"; out="$2"
. "$3/wait.sh"
cd "$app"
unset GLW_UI GLW_SCRIPT
QT_QUICK_BACKEND=software QT_QPA_PLATFORM=xcb ./glwclipart >"$out/refused-edit.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

# Waits up to $2 half-seconds for a visible window named $1 and prints its id.
window_named() {
    tries=0
    while [ $tries -lt "$2" ]; do
        kill -0 "$pid" 2>/dev/null || { echo "glwclipart ended early:" >&2; cat "$out/refused-edit.log" >&2; exit 1; }
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [ -n "$found" ] && { echo "$found"; return 0; }
        sleep 0.5
        tries=$((tries + 1))
    done
    echo "no window $1" >&2
    exit 1
}

window=$(window_named "Flash Browser/Transformer" 60)
settle
eval "$(xdotool getwindowgeometry --shell "$window")"
MX=$X; MY=$Y; MW=$WIDTH; MH=$HEIGHT
# Clicks at a design position of the main window, then waits (at most $3 seconds) for the screen to answer.
at() { xdotool mousemove $((MX + $1)) $((MY + $2)) click 1; settle "${3:-5}"; }
shot() { import -window root "$app/screen.png"; convert "$app/screen.png" -crop "${MW}x${MH}+${MX}+${MY}" +repage "$1"; }

at 28 214 10       # the category Media
at 655 124         # its fourth cell: the postcard
xdotool key ctrl+p
settle 15
at 483 487 10      # "Apply"
at 788 79          # the Images filter: its first row is chosen
shot "$out/refused-edit-before.png"
at 820 371         # the image's file box
xdotool key ctrl+a
xdotool type "$app/photo.jpg"
at 765 451         # Apply the image
box=$(window_named "^Glintwave SE$" 30)
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$box")"
import -window root "$app/screen.png"
convert "$app/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out/refused-edit-box.png"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT - 55)) click 1 # its OK button
tries=0
while xdotool search --onlyvisible --name "^Glintwave SE$" >/dev/null 2>&1; do
    [ $tries -lt 20 ] || { echo "the message box did not close" >&2; exit 1; }
    sleep 0.5
    tries=$((tries + 1))
done
settle
shot "$out/refused-edit.png"
INNER

# The box holds text; the image's row shows in "Change To" what it shows in "Detected" (the clip's own
# image), and its panel's file box is as before the edit.
spread=$(convert "$out/refused-edit-box.png" -colorspace Gray -format '%[fx:standard_deviation]' info:)
panel="216x22+730+360"
row=$(compare -metric AE -fuzz 3% "$out/refused-edit.png[52x12+766+110]" "$out/refused-edit.png[52x12+822+110]" null: 2>&1 || true)
box=$(compare -metric AE -fuzz 3% "$out/refused-edit-before.png[$panel]" "$out/refused-edit.png[$panel]" null: 2>&1 || true)
echo "refused-edit-box.png: brightness spread $spread; the row differs in $row pixels, the file box in $box"
awk "BEGIN { exit !($spread > 0.05) }" || { echo "the message box is blank"; exit 1; }
[ "${row%%.*}" -lt 20 ] || { echo "the image's row still claims the refused file"; exit 1; }
[ "${box%%.*}" -lt 20 ] || { echo "the image's panel still shows the refused file"; exit 1; }
echo "saved $out/refused-edit-box.png and $out/refused-edit.png"
