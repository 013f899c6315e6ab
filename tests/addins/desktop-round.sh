#!/bin/sh
# The page editor's add-in on a real desktop: under Xvfb, with no GLW_CLIPBOARD, the fake host's menu click
# puts the request on the X clipboard (read back by the holder), glwclipart starts from the add-in's folder
# in add-in mode, xdotool picks the first clip and hands it back through the export dialog, and the host's
# activation takes the reply from the X clipboard: the clip lands beside the page and the tag is pasted.
# Saves desktop-round.png (the export dialog over the main window in add-in mode) under <build>/screenshots/
# and checks by pixels that the Export button shows the hand-back picture.
# Usage: desktop-round.sh <build folder>. Exits 77 (skipped) when a tool or the desktop build is missing.
set -eu
build="${1:?usage: desktop-round.sh <build folder>}"
build="$(cd "$build" && pwd)"
out="$build/screenshots"
. "$(dirname "$0")/../support/desktop-test.sh"
[ -x "$build/app/glwclipart" ] || skip "glwclipart is not built"
[ -x "$build/app/glwclipholder" ] || skip "the desktop front end is not built"
[ -x "$build/bin/fakehost" ] || skip "fakehost is not built"
require_tools Xvfb xdotool import convert
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# A copy of the application folder, so that the clip's export never lands in the build's own.
mkdir "$work/probe" "$work/site" "$work/home" "$work/config"
copy_demo_folder "$build" "$work/app"
# The probe folder holds the add-in and the holder but no glwclipart: its click only leaves the request.
cp "$build/app/glwseclips.so" "$build/app/glwclipholder" "$work/probe/"
printf '<html><head></head><body><p>Welcome</p></body></html>' >"$work/site/index.htm"

support="$(cd "$(dirname "$0")/../support" && pwd)"
"$support/xvfb-run-free" -s "-screen 0 1280x1024x24" sh -s "$build" "$work" "$out" "$support" <<'INNER'
set -u
. "$4/wait.sh"
build="$1"; work="$2"; out="$3"
export QT_QPA_PLATFORM=xcb HOME="$work/home" XDG_CONFIG_HOME="$work/config"
unset GLW_UI GLW_SCRIPT GLW_CLIPBOARD
page="file://$work/site/index.htm"

# 1. The request reaches the X clipboard and outlives the host that set it.
"$build/bin/fakehost" --library "$work/probe/glwseclips.so" --page "$page" connect \
    "click=Flash Browser/Transformer" >"$work/probe.out" 2>&1
"$work/app/glwclipholder" --read >"$work/request.txt" 2>/dev/null

# 2. The whole road: click, glwclipart in add-in mode, hand-back, activation.
"$build/bin/fakehost" --library "$work/app/glwseclips.so" --page "$page" connect \
    "click=Flash Browser/Transformer" wait-reply=90 activate report >"$work/host.out" 2>&1 &
host=$!
fail() { echo "$1" >"$work/failed"; kill "$host" 2>/dev/null; exit 1; }
# The main window (960 x 640) stands centred on the screen, at 160, 192.
tries=0
while :; do
    tries=$((tries + 1))
    [ $tries -lt 120 ] || fail "glwclipart's window did not show"
    geometry=$(xdotool search --onlyvisible --name "^Glintwave" getwindowgeometry --shell %@ 2>/dev/null |
        tr '\n' ' ') || true
    case "$geometry" in *WIDTH=960*HEIGHT=640*) break ;; esac
    sleep 0.5
done
settle 5
xdotool mousemove 457 313 click 1
settle 3
xdotool mousemove 987 803 click 1
# The export dialog: wait for it, then name the file and grab its hand-back page.
tries=0
until xdotool search --onlyvisible --name "Export" >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ $tries -lt 40 ] || fail "the export dialog did not show"
    sleep 0.5
done
settle 3
xdotool type --delay 30 clip
sleep 0.5
import -window root "$out/desktop-round.png"
xdotool mousemove 697 570 click 1
# The host waits for the reply, activates and reports.
tries=0
while kill -0 "$host" 2>/dev/null; do
    tries=$((tries + 1))
    [ $tries -lt 240 ] || fail "the host did not finish"
    sleep 0.5
done
wait "$host" || true
"$work/app/glwclipholder" --read >"$work/after.txt" 2>/dev/null
INNER

[ -f "$work/failed" ] && { cat "$work/failed"; cat "$work/host.out" 2>/dev/null; exit 1; }
request=$(cat "$work/request.txt" 2>/dev/null || true)
echo "request: $request"
case "$request" in
"(WBLFPCommand)"*"[$work/site/]"*) ;;
*) echo "the request is not on the X clipboard"; cat "$work/probe.out"; exit 1 ;;
esac
cat "$work/host.out"
grep -q "^pasted: <OBJECT  ID='GLINTWAVECL" "$work/host.out" || { echo "no tag was pasted"; exit 1; }
grep -q "^clipboard: empty" "$work/host.out" || { echo "the reply stayed on the clipboard"; exit 1; }
if grep -q "^message:" "$work/host.out"; then echo "the host showed a message"; exit 1; fi
[ -s "$work/site/GLWDATA/clip.swf" ] || { echo "the clip is not beside the page"; exit 1; }
[ ! -s "$work/after.txt" ] || { echo "the clipboard still holds: $(cat "$work/after.txt")"; exit 1; }
# glwclipart ran in add-in mode: its Export button shows the green hand-back picture (at 970, 803 on the
# screen; the plain Export picture is blue).
rgb=$(convert "$out/desktop-round.png" -format "%[fx:int(255*u.p{970,803}.r)] %[fx:int(255*u.p{970,803}.g)] %[fx:int(255*u.p{970,803}.b)]" info:)
set -- $rgb
[ "$2" -gt $(($1 + 40)) ] && [ "$2" -gt $(($3 + 30)) ] || { echo "the Export button is not the hand-back's ($rgb)"; exit 1; }
echo "the clip went from the X clipboard beside the page"
