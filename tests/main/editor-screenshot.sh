#!/bin/sh
# The clip editor in a real window under Xvfb: on a copy of the demo application folder, opens the postcard
# clip with Ctrl+P, changes its second text to "Grüße 2027" (characters its font lacks), applies with
# Ctrl+A, and saves the edit view to <build>/screenshots/editor.png (editor-before.png before the edit).
# Checks by pixels that the preview's text region changed and is not blank, and that the text panel shows.
# Usage: editor-screenshot.sh <build folder>
# Exits 77 (skipped) when glwclipart is not built with the desktop renderer and the Flash player, or when
# Xvfb, xdotool or ImageMagick is missing.
set -eu
build="${1:?usage: editor-screenshot.sh <build folder>}"
build="$(cd "$build" && pwd)"
out="$build/screenshots"

. "$(dirname "$0")/../support/desktop-test.sh"
require_desktop "$build"
require_tools xvfb-run xdotool import convert compare

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
copy_demo_folder "$build" "$work"
mkdir -p "$out"
rm -f "$out/editor.png" "$out/editor-before.png"

support="$(cd "$(dirname "$0")/../support" && pwd)"
"$support/xvfb-run-free" -s "-screen 0 1280x1024x24" sh -s "$work" "$out" "$support" <<'INNER'
set -eu
app="$1"; out="$2"
. "$3/wait.sh"
cd "$app"
unset GLW_UI GLW_SCRIPT
# Without a GPU the live preview draws only with Qt Quick's software back end.
QT_QUICK_BACKEND=software QT_QPA_PLATFORM=xcb ./glwclipart >"$out/editor.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
window=""
tries=0
while [ -z "$window" ] && [ $tries -lt 60 ]; do
    sleep 0.5
    tries=$((tries + 1))
    kill -0 "$pid" 2>/dev/null || { echo "glwclipart ended early:"; cat "$out/editor.log"; exit 1; }
    window=$(xdotool search --onlyvisible --name "Flash Browser/Transformer" 2>/dev/null | head -n 1 || true)
done
[ -n "$window" ] || { echo "the main window did not show"; exit 1; }
settle
eval "$(xdotool getwindowgeometry --shell "$window")"
# Clicks at design positions (pixels inside the window), then waits for the screen to answer.
at() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; settle "${3:-5}"; }
shot() { import -window root "$app/screen.png"; convert "$app/screen.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$1"; }
# The text's region of the preview (the postcard shown at 1.2 times in the 480 x 400 preview).
region="260x40+250+160"
region_drawn() {
    shot "$app/now.png"
    spread=$(convert "$app/now.png[$region]" -colorspace Gray -format '%[fx:standard_deviation]' info:)
    awk "BEGIN { exit !($spread > 0.05) }"
}
region_changed() {
    shot "$app/now.png"
    changed=$(compare -metric AE -fuzz 10% "$out/editor-before.png[$region]" "$app/now.png[$region]" null: 2>&1 || true)
    [ "${changed%%.*}" -gt 200 ]
}

at 28 214 10       # the category Media
at 655 124         # its fourth cell: the postcard
xdotool key ctrl+p
wait_until 30 region_drawn || { echo "the preview did not draw the postcard"; exit 1; }
settle
shot "$out/editor-before.png"
at 740 129         # the row "from the seaside"
xdotool mousemove $((X + 830)) $((Y + 371)) click 1
xdotool key ctrl+a BackSpace
xdotool type "Gr"
xdotool key udiaeresis ssharp
xdotool type "e 2027"
at 765 449         # Save Text Item
xdotool key ctrl+a # apply (the focus is on the button, not a text box)
wait_until 30 region_changed || true # the checks below say what is wrong
settle
shot "$out/editor.png"
INNER

region="260x40+250+160"
changed=$(compare -metric AE -fuzz 10% "$out/editor-before.png[$region]" "$out/editor.png[$region]" null: 2>&1 || true)
spread=$(convert "$out/editor.png[$region]" -colorspace Gray -format '%[fx:standard_deviation]' info:)
panel=$(convert "$out/editor.png[228x268+724+322]" -format '%k' info:)
echo "editor.png: text region changed in $changed pixels, brightness spread $spread; text panel $panel colours"
[ "${changed%%.*}" -gt 200 ] || { echo "the preview's text did not change"; exit 1; }
awk "BEGIN { exit !($spread > 0.05) }" || { echo "the preview's text region is blank"; exit 1; }
[ "$panel" -ge 8 ] || { echo "the text panel is not showing"; exit 1; }
echo "saved $out/editor.png"
