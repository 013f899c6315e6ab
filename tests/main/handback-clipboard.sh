#!/bin/sh
# The hand-back on a real X clipboard under Xvfb: an add-in's request is put on the clipboard, glwclipart
# starts in add-in mode, xdotool selects the first clip, opens the export dialog, names the SWF file and
# clicks Complete Export; glwclipart ends, and another process then reads the reply from the clipboard.
# Usage: handback-clipboard.sh <build folder>. Exits 77 (skipped) when a tool or the desktop build is missing.
set -eu
build="${1:?usage: handback-clipboard.sh <build folder>}"
build="$(cd "$build" && pwd)"
app="$build/app"
clip="$build/bin/glw_qt_tests" # its --clipboard mode sets and reads the X clipboard

skip() { echo "skipped: $1"; exit 77; }
[ -x "$app/glwclipart" ] || skip "$app/glwclipart is not built"
[ -x "$app/glwclipholder" ] && [ -x "$clip" ] || skip "the desktop front end is not built"
for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

support="$(cd "$(dirname "$0")/../support" && pwd)"
"$support/xvfb-run-free" -s "-screen 0 1280x1024x24" sh -s "$app" "$work" "$clip" "$support" <<'INNER'
app="$1"; work="$2"; clip="$3"
. "$4/wait.sh"
export QT_QPA_PLATFORM=xcb HOME="$work/home" XDG_CONFIG_HOME="$work/config"
unset GLW_UI GLW_SCRIPT GLW_CLIPBOARD
"$clip" --clipboard set '(WBLFPCommand)(@index.htm@)[C:\site]{GLWDATA}' "$app/glwclipholder" >/dev/null 2>&1
cd "$app"
./glwclipart >"$work/glwclipart.log" 2>&1 &
pid=$!
# The main window (960 x 640) stands centred on the screen, at 160, 192; its first cell, then Export.
main_shows() {
    geometry=$(xdotool search --onlyvisible --name "^Glintwave" getwindowgeometry --shell %@ 2>/dev/null | tr '\n' ' ')
    case "$geometry" in *WIDTH=960*HEIGHT=640*) return 0 ;; esac
    return 1
}
wait_until 60 main_shows || true
settle 5
xdotool mousemove 457 313 click 1
settle 3
xdotool mousemove 987 803 click 1
wait_window "Export" 20 >/dev/null || true
settle 3
xdotool type --delay 30 clip
sleep 0.5
xdotool mousemove 697 570 click 1
# glwclipart ends by itself after the hand-back.
tries=0
while kill -0 "$pid" 2>/dev/null && [ $tries -lt 20 ]; do
    sleep 0.5
    tries=$((tries + 1))
done
if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    echo "still running" >"$work/ended"
else
    echo "ended" >"$work/ended"
fi
"$clip" --clipboard get >"$work/reply.txt" 2>/dev/null
INNER

ended=$(cat "$work/ended" 2>/dev/null || echo "not run")
reply=$(cat "$work/reply.txt" 2>/dev/null || true)
echo "glwclipart: $ended"
echo "reply: $(printf '%s' "$reply" | cut -c1-120)..."
[ "$ended" = "ended" ] || { echo "glwclipart did not end after the hand-back"; cat "$work/glwclipart.log"; exit 1; }
case "$reply" in
"(GLWFPRetClip)[Exit]<GLWCODE><OBJECT  ID='GLINTWAVECL"*"<GLWFILES>GLWDATA,"*"\\Working\\clip.swf</GLWFILES>") ;;
*) echo "the clipboard does not hold the reply"; exit 1 ;;
esac
echo "the reply outlived glwclipart"
