#!/bin/sh
# Opens the export dialog of glwclipart on the demo application folder under Xvfb: selects the first clip,
# clicks the Export button with xdotool, saves the dialog to <build>/screenshots/export-dialog.png and
# checks by pixels that it stands over the main window. Exits 77 (skipped) when a tool is missing.
# Usage: export-dialog-screenshot.sh <build folder>
set -eu
build="${1:?usage: export-dialog-screenshot.sh <build folder>}"
build="$(cd "$build" && pwd)"
app="$build/app"
out="$build/screenshots"

skip() { echo "skipped: $1"; exit 77; }
[ -x "$app/glwclipart" ] || skip "$app/glwclipart is not built"
[ -x "$app/glwclipholder" ] || skip "the desktop front end is not built"
for tool in xvfb-run import convert compare xdotool; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

settle_limit=1
[ -f "$build/app/ruffle/glwplayer.txt" ] && settle_limit=8
support="$(cd "$(dirname "$0")/../support" && pwd)"
"$support/xvfb-run-free" -s "-screen 0 1280x1024x24" sh -s "$app" "$work" "$settle_limit" "$support" <<'INNER'
app="$1"; work="$2"; settle_limit="$3"
. "$4/wait.sh"
cd "$app"
unset GLW_UI GLW_SCRIPT
# A home of its own, so no remembered setting of the user's changes what the dialog shows.
HOME="$work/home" XDG_CONFIG_HOME="$work/config" QT_QPA_PLATFORM=xcb ./glwclipart >"$work/glwclipart.log" 2>&1 &
pid=$!
tries=0
while [ $tries -lt 40 ]; do
    sleep 0.5
    tries=$((tries + 1))
    import -window root "$work/before.png" 2>/dev/null || continue
    [ "$(convert "$work/before.png" -trim -format '%wx%h' info: 2>/dev/null)" = "960x640" ] && break
done
settle "$settle_limit"
# The main window (960 x 640) stands centred on the 1280 x 1024 screen, so at 160, 192.
xdotool mousemove 457 313 click 1
settle 3
import -window root "$work/before.png"
xdotool mousemove 987 803 click 1
wait_window "Export" 20 >/dev/null || true
settle 5
import -window root "$work/after.png"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
INNER

[ -f "$work/after.png" ] || { echo "no screenshot taken"; cat "$work/glwclipart.log"; exit 1; }
# The dialog (540 pixels wide) stands centred over the main window.
convert "$work/after.png" -crop 540x390+370+305 +repage "$out/export-dialog.png"
changed=$(compare -metric AE -fuzz 2% "$work/before.png" "$work/after.png" null: 2>&1 || true)
colours=$(identify -format '%k' "$out/export-dialog.png")
echo "export-dialog.png: $changed pixels changed by the dialog, $colours colours"
[ "${changed%%.*}" -ge 50000 ] || { echo "the export dialog did not show ($changed pixels changed)"; exit 1; }
[ "$colours" -ge 16 ] || { echo "the export dialog looks blank ($colours colours)"; exit 1; }
echo "saved $out/export-dialog.png"
