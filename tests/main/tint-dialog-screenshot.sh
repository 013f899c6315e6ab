#!/bin/sh
# The tint's colour dialog in a real window under Xvfb: on a copy of the demo application folder, opens the
# postcard clip with Ctrl+P, sets the tint to #0080FF through the tint's "..." (typed, Enter, Okay), then
# opens the dialog again and presses Okay without touching it. Saves <build>/screenshots/tint-again-set.png,
# tint-again-dialog.png (the dialog as it opens the second time) and tint-again-okay.png, and checks that
# the second Okay changed neither the preview's pixels nor the tint the trace shows.
# Usage: tint-dialog-screenshot.sh <build folder>
# Exits 77 (skipped) when glwclipart is not built with the desktop renderer and the Flash player, or when
# Xvfb, xdotool or ImageMagick is missing.
set -eu
build="${1:?usage: tint-dialog-screenshot.sh <build folder>}"
build="$(cd "$build" && pwd)"
out="$build/screenshots"

. "$(dirname "$0")/../support/desktop-test.sh"
require_desktop "$build"
require_tools xvfb-run xdotool import convert compare

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
copy_demo_folder "$build" "$work"
mkdir -p "$out"
rm -f "$out/tint-again-before.png" "$out/tint-again-set.png" "$out/tint-again-dialog.png" "$out/tint-again-okay.png"

support="$(cd "$(dirname "$0")/../support" && pwd)"
"$support/xvfb-run-free" -s "-screen 0 1280x1024x24" sh -s "$work" "$out" "$support" <<'INNER'
set -eu
app="$1"; out="$2"
. "$3/wait.sh"
cd "$app"
unset GLW_UI GLW_SCRIPT
# Without a GPU the live preview draws only with Qt Quick's software back end.
GLW_TRACE="$app/trace.txt" QT_QUICK_BACKEND=software QT_QPA_PLATFORM=xcb ./glwclipart >"$out/tint-again.log" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT

# Waits up to $2 half-seconds for a visible window named $1 and prints its id.
window_named() {
    tries=0
    while [ $tries -lt "$2" ]; do
        kill -0 "$pid" 2>/dev/null || { echo "glwclipart ended early:" >&2; cat "$out/tint-again.log" >&2; exit 1; }
        found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [ -n "$found" ] && { echo "$found"; return 0; }
        sleep 0.5
        tries=$((tries + 1))
    done
    echo "no window $1" >&2
    exit 1
}
# Waits until no visible window named $1 is left.
gone() {
    tries=0
    while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
        [ $tries -lt 40 ] || { echo "the window $1 did not close" >&2; exit 1; }
        sleep 0.5
        tries=$((tries + 1))
    done
}

window=$(window_named "Flash Browser/Transformer" 60)
settle
eval "$(xdotool getwindowgeometry --shell "$window")"
MX=$X; MY=$Y; MW=$WIDTH; MH=$HEIGHT
# Clicks at a design position of the main window, then waits (at most $3 seconds) for the screen to answer.
at() { xdotool mousemove $((MX + $1)) $((MY + $2)) click 1; settle "${3:-5}"; }
shot() { import -window root "$app/screen.png"; convert "$app/screen.png" -crop "${MW}x${MH}+${MX}+${MY}" +repage "$1"; }
# The preview (480 x 400 at 236, 70 of the window) once two captures half a second apart agree.
settled() {
    shot "$app/a.png"
    tries=0
    while :; do
        sleep 0.5
        shot "$app/b.png"
        d=$(compare -metric AE "$app/a.png[480x400+236+70]" "$app/b.png[480x400+236+70]" null: 2>&1 || true)
        [ "${d%%.*}" = "0" ] && break
        [ $tries -lt 40 ] || break
        mv "$app/b.png" "$app/a.png"
        tries=$((tries + 1))
    done
    mv "$app/b.png" "$1"
}
# The tint's "..." and, in the dialog, its Value box and Okay.
open_tint() {
    at 548 516
    dialog=$(window_named "Select Color" 20)
    eval "$(xdotool getwindowgeometry --shell "$dialog")"
    DX=$X; DY=$Y; DW=$WIDTH; DH=$HEIGHT
}
# True once the preview shows a movie (a spread of brightness), not the empty frame.
preview_drawn() {
    shot "$app/now.png"
    spread=$(convert "$app/now.png[480x400+236+70]" -colorspace Gray -format '%[fx:standard_deviation]' info:)
    awk "BEGIN { exit !($spread > 0.03) }"
}
okay() { xdotool mousemove $((DX + 42)) $((DY + 188)) click 1; gone "Select Color"; }

at 28 214 10       # the category Media
at 655 124         # its fourth cell: the postcard
xdotool key ctrl+p
wait_until 30 preview_drawn || { echo "the preview did not draw the postcard" >&2; exit 1; }
settled "$out/tint-again-before.png"

open_tint
xdotool mousemove $((DX + 79)) $((DY + 157)) click 1
xdotool key ctrl+a
xdotool type "0080FF"
xdotool key Return
sleep 0.5
okay
settled "$out/tint-again-set.png"

open_tint
sleep 0.5
import -window root "$app/screen.png"
convert "$app/screen.png" -crop "${DW}x${DH}+${DX}+${DY}" +repage "$out/tint-again-dialog.png"
okay
settled "$out/tint-again-okay.png"
cp "$app/trace.txt" "$out/tint-again-trace.txt"
INNER

# The tint the preview was last given, from the trace: "CWR=...&CWG=...&CWB=...".
last_tint() { grep -o 'CWR=-\{0,1\}[0-9]*&CWG=-\{0,1\}[0-9]*&CWB=-\{0,1\}[0-9]*' "$1" | tail -n 1; }
trace="$out/tint-again-trace.txt"
tints=$(grep -o 'CWR=-\{0,1\}[0-9]*&CWG=-\{0,1\}[0-9]*&CWB=-\{0,1\}[0-9]*' "$trace" | uniq | tail -n 2 | tr '\n' ' ')
final=$(last_tint "$trace")
preview="480x400+236+70"
tinted=$(compare -metric AE -fuzz 3% "$out/tint-again-before.png[$preview]" "$out/tint-again-set.png[$preview]" null: 2>&1 || true)
again=$(compare -metric AE -fuzz 3% "$out/tint-again-set.png[$preview]" "$out/tint-again-okay.png[$preview]" null: 2>&1 || true)
echo "tints in the trace: $tints; the tint changed $tinted preview pixels, the second Okay $again"
[ "$final" = "CWR=-256&CWG=1&CWB=256" ] || { echo "the tint after the second Okay is $final, not #0080FF's"; exit 1; }
[ "${tinted%%.*}" -gt 1000 ] || { echo "setting the tint did not change the preview"; exit 1; }
[ "${again%%.*}" -lt 50 ] || { echo "the second Okay changed the preview"; exit 1; }
echo "saved $out/tint-again-set.png, $out/tint-again-dialog.png and $out/tint-again-okay.png"
