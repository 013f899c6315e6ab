#!/bin/sh
# The exported programs in real windows: glwclipart (headless, scripted) exports the first clip of the demo
# library as a player and a screen saver; under Xvfb the player shows the movie and the screen saver runs
# with /S over the whole screen. Saves build/screenshots/exported-player.png and exported-saver.png and
# checks both by pixels. Exits 77 (skipped) when a tool, the desktop build or the Flash player is missing.
# Usage: exported-player-screenshot.sh <build folder>
set -eu
build="${1:?usage: exported-player-screenshot.sh <build folder>}"
build="$(cd "$build" && pwd)"
app="$build/app"
out="$build/screenshots"

skip() { echo "skipped: $1"; exit 77; }
[ -x "$app/glwclipart" ] || skip "$app/glwclipart is not built"
[ -x "$app/glwclipholder" ] || skip "the desktop front end is not built"
[ -f "$build/ruffle/node_modules/@ruffle-rs/ruffle/ruffle.js" ] || skip "the Flash player is not installed"
for tool in xvfb-run xdotool import convert; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/app" "$work/out" "$work/config/glw" "$work/home" "$work/tmp"
for f in glwclipart glwbase.exe glwbase.scr quillset.exe blank.swf glwclipholder; do cp "$app/$f" "$work/app/"; done
cp -r "$app/CLTemplates" "$app/Resource" "$app/Working" "$work/app/"
outsys="C:$(echo "$work/out" | sed 's|/|\\\\|g')"
printf '[DefSettings]\nFolder=%s\n' "$outsys" >"$work/config/glw/evawtnilG aideM leroV.ini"
printf 'focus Form1.FSel(0)\nclick Form1.Command8\nclick frmExportAll.optExport(1)\nclick frmExportAll.Command20\nanswer OK\nclick frmExportAll.optExport(3)\nclick frmExportAll.Command20\nanswer OK\nclick frmExportAll.Command3\nclick Form1.Command3\n' >"$work/script.txt"
GLW_UI=headless GLW_SCRIPT="$work/script.txt" XDG_CONFIG_HOME="$work/config" HOME="$work/home" TMPDIR="$work/tmp" \
    "$work/app/glwclipart" >"$work/export.log" 2>&1 || { cat "$work/export.log"; exit 1; }
[ -x "$work/out/glwmovie.exe" ] && [ -x "$work/out/glwmovie.scr" ] || { echo "nothing was exported"; exit 1; }
# The exported programs find the Flash player beside them, as a user installs it.
ln -s "$build/ruffle/node_modules/@ruffle-rs/ruffle" "$work/out/ruffle"
cp "$app/glwclipholder" "$work/out/"

"$(dirname "$0")/../support/xvfb-run-free" -s "-screen 0 1024x768x24" sh -s "$work" <<'INNER'
work="$1"
export QT_QPA_PLATFORM=xcb HOME="$work/home" TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config"
unset GLW_UI GLW_SCRIPT
"$work/out/glwmovie.exe" >"$work/player.log" 2>&1 &
pid=$!
sleep 8
import -window root "$work/player.png"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

"$work/out/glwmovie.scr" /S >"$work/saver.log" 2>&1 &
pid=$!
sleep 8
import -window root "$work/saver.png"
xdotool key a
sleep 2
kill -0 "$pid" 2>/dev/null && echo "still running" >"$work/saver-state" || echo "ended" >"$work/saver-state"
kill "$pid" 2>/dev/null || true
INNER

[ -f "$work/player.png" ] && [ -f "$work/saver.png" ] || { echo "no screenshot taken"; exit 1; }
convert "$work/player.png" -crop 320x120+0+0 +repage "$out/exported-player.png"
convert "$work/saver.png" "$out/exported-saver.png"
player=$(identify -format '%k' "$out/exported-player.png")
saver=$(convert "$out/exported-saver.png" -crop 1024x768+0+0 -format '%k' info:)
echo "exported-player.png: $player colours; exported-saver.png: $saver colours; saver $(cat "$work/saver-state")"
[ "$player" -ge 16 ] || { echo "the exported player shows no movie"; cat "$work/player.log"; exit 1; }
[ "$saver" -ge 16 ] || { echo "the exported screen saver shows no movie"; cat "$work/saver.log"; exit 1; }
[ "$(cat "$work/saver-state")" = "ended" ] || { echo "the screen saver did not end on a key"; exit 1; }
echo "saved $out/exported-player.png and $out/exported-saver.png"
