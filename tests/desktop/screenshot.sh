#!/bin/sh
# Starts glwclipart on the demo application folder under Xvfb, saves its main window to
# <build>/screenshots/glwclipart.png and checks that the window has its designed size and is not blank.
# Usage: screenshot.sh <build folder> [expected size, default 960x640 (Form1's Width and Height)]
# Exits 77 (skipped) when glwclipart is not built or Xvfb or ImageMagick is missing.
set -eu
build="${1:?usage: screenshot.sh <build folder> [WIDTHxHEIGHT]}"
[ -d "$build" ] || { echo "no build folder $build"; exit 1; }
build="$(cd "$build" && pwd)"
expected="${2:-960x640}"
app="$build/app"
out="$build/screenshots"

skip() { echo "skipped: $1"; exit 77; }
[ -x "$app/glwclipart" ] || skip "$app/glwclipart is not built"
command -v xvfb-run >/dev/null 2>&1 || skip "xvfb-run is not installed (apt-get install xvfb)"
command -v import >/dev/null 2>&1 || skip "import is not installed (apt-get install imagemagick)"
command -v convert >/dev/null 2>&1 || skip "convert is not installed (apt-get install imagemagick)"

mkdir -p "$out"
rm -f "$out/glwclipart.png" "$out/screen.png"

# Inside the virtual display: start the program, wait until its window stands on the black root window,
# crop the screen to it. With no window manager the window has no frame, so the crop is the window itself.
settle_limit=0
[ -f "$build/app/ruffle/glwplayer.txt" ] && settle_limit=8
support="$(cd "$(dirname "$0")/../support" && pwd)"
"$support/xvfb-run-free" -s "-screen 0 1280x1024x24" sh -s "$app" "$out" "$expected" "$settle_limit" "$support" <<'INNER'
app="$1"; out="$2"; expected="$3"; settle_limit="$4"
. "$5/wait.sh"
cd "$app"
unset GLW_UI GLW_SCRIPT
QT_QPA_PLATFORM=xcb ./glwclipart >"$out/glwclipart.log" 2>&1 &
pid=$!
size=""
tries=0
while [ $tries -lt 40 ]; do
    sleep 0.5
    tries=$((tries + 1))
    kill -0 "$pid" 2>/dev/null || { echo "glwclipart ended before its window showed:"; cat "$out/glwclipart.log"; exit 1; }
    import -window root "$out/screen.png" 2>/dev/null || continue
    size=$(convert "$out/screen.png" -trim -format '%wx%h' info: 2>/dev/null || true)
    [ "$size" = "$expected" ] && break
done
# With the Flash player installed the cells and titles show posters of their movies: wait until the poster
# cache has drawn a page (the screen stands still, at most $settle_limit seconds) before the picture is taken.
if [ "$size" = "$expected" ] && [ "$settle_limit" -gt 0 ]; then
    settle "$settle_limit"
    import -window root "$out/screen.png" 2>/dev/null || true
fi
convert "$out/screen.png" -trim +repage "$out/glwclipart.png"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
rm -f "$out/screen.png"
[ "$size" = "$expected" ] || { echo "main window is $size, expected $expected"; exit 1; }
INNER

# Not blank: a window of buttons, lists and movie cells has many colours and a spread of brightness.
colours=$(identify -format '%k' "$out/glwclipart.png")
spread=$(identify -format '%[fx:standard_deviation]' "$out/glwclipart.png")
echo "glwclipart.png: $expected, $colours colours, brightness spread $spread"
[ "$colours" -ge 16 ] || { echo "the main window looks blank ($colours colours)"; exit 1; }
awk "BEGIN { exit !($spread > 0.05) }" || { echo "the main window looks blank (spread $spread)"; exit 1; }
echo "saved $out/glwclipart.png"
