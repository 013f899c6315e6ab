#!/bin/sh
# The exported programs as the people who receive them run them: glwclipart (headless, scripted) exports the
# first clip of the demo library as a player, a screen saver and its installer; each is copied alone into a
# folder of its own and run in a private mount namespace where this clone and the application folder are
# hidden (an empty file system over each), with a fresh home, in real windows under Xvfb. The player shows
# the movie; the screen saver runs with /S over the whole screen and ends on a key; the installer installs a
# screen saver that shows the movie. A player whose carried Flash player is damaged, and glwclipart without
# its player's files, each say so in a box; glwclipart's application folder copied away from the build
# plays its thumbnails there. Saves build/screenshots/exported-player.png, exported-saver.png,
# exported-player-damaged.png, glwclipart-copied-away.png and glwclipart-player-missing.png, and checks them
# by pixels. Exits 77 (skipped) when a tool, the desktop build or the Flash player is missing, or when
# folders cannot be hidden (not root, no unshare).
# Usage: exported-player-screenshot.sh <build folder>
set -eu
build="${1:?usage: exported-player-screenshot.sh <build folder>}"
build="$(cd "$build" && pwd)"
top="$(cd "$(dirname "$0")/../.." && pwd)"
app="$build/app"
out="$build/screenshots"

skip() { echo "skipped: $1"; exit 77; }
[ -x "$app/glwclipart" ] || skip "$app/glwclipart is not built"
[ -x "$app/glwclipholder" ] || skip "the desktop front end is not built"
[ -f "$app/ruffle/glwplayer.txt" ] || skip "the Flash player is not installed"
for tool in xdotool import convert unshare python3; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
unshare -m true 2>/dev/null || skip "folders cannot be hidden here (unshare -m needs root)"
mkdir -p "$out"
work="$(mktemp -d)"
trap '[ -n "${GLW_KEEP_WORK:-}" ] || rm -rf "$work"' EXIT
mkdir -p "$work/app" "$work/out" "$work/config/glw" "$work/home" "$work/tmp"
for f in glwclipart glwbase.exe glwbase.scr quillset.exe blank.swf glwclipholder; do cp "$app/$f" "$work/app/"; done
cp -r "$app/CLTemplates" "$app/Resource" "$app/Working" "$work/app/"
outsys="C:$(echo "$work/out" | sed 's|/|\\\\|g')"
printf '[DefSettings]\nFolder=%s\n' "$outsys" >"$work/config/glw/evawtnilG aideM leroV.ini"
printf 'focus Form1.FSel(0)\nclick Form1.Command8\nclick frmExportAll.optExport(1)\nclick frmExportAll.Command20\nanswer OK\nclick frmExportAll.optExport(3)\nclick frmExportAll.Command20\nanswer OK\nclick frmExportAll.Command3\nclick Form1.Command3\n' >"$work/script.txt"
GLW_UI=headless GLW_SCRIPT="$work/script.txt" XDG_CONFIG_HOME="$work/config" HOME="$work/home" TMPDIR="$work/tmp" \
    "$work/app/glwclipart" >"$work/export.log" 2>&1 || { cat "$work/export.log"; exit 1; }
[ -x "$work/out/glwmovie.exe" ] && [ -x "$work/out/glwmovie.scr" ] || { echo "nothing was exported"; exit 1; }

# What the receiver has: the two programs, alone in a folder of their own.
recv="$work/received"
mkdir -p "$recv/home" "$recv/tmp"
cp "$work/out/glwmovie.exe" "$work/out/glwmovie.scr" "$recv/"
# The installer, received alone in a folder of its own.
mkdir -p "$recv/setup" "$recv/home3"
cp "$work/out/vrquillset.exe" "$recv/setup/"
printf 'click Form1.Command15\nanswer OK\n' >"$recv/install.txt"
# A copy of the player whose carried Flash player is damaged: one byte flipped inside its pack.
python3 - "$recv/glwmovie.exe" "$recv/damaged.exe" <<'PY'
import sys
data = bytearray(open(sys.argv[1], "rb").read())
# The pack: its magic, its manifest's length and the manifest's first line (the magic alone also stands in
# the program's code, which reads it).
at = data.find(b"GLWPACK1")
while at >= 0 and data[at + 12:at + 24] != b"glwplayer 1\n":
    at = data.find(b"GLWPACK1", at + 1)
assert at >= 0, "no pack in the program"
data[at + 100000] ^= 0x55
open(sys.argv[2], "wb").write(data)
PY
chmod +x "$recv/damaged.exe"
# glwclipart's copy of the application folder without the player's files, and one with them (copied away
# from the build as a user copies the folder to another disk).
mkdir -p "$work/nofiles" "$work/fullapp"
cp -r "$work/app/." "$work/nofiles/"
cp -r "$work/app/." "$work/fullapp/"
cp -r "$app/ruffle" "$work/fullapp/"

export top app recv work
"$(dirname "$0")/../support/xvfb-run-free" -s "-screen 0 1024x768x24" sh -s <<'INNER'
set -u
# hidden: runs a command with this clone and the build's application folder hidden behind empty file
# systems, in the place of the (background) shell that calls it, so that $! is the program itself. wait_colours: waits for a region of the screen to show at least so many colours (the last grab
# stays in the file). wait_covered: waits for the screen's bottom right corner to be covered (not the bare
# screen's black). wait_saturated: waits for a region of the screen to show strong colour (a playing clip,
# not an outline's greys). wait_window: waits for a window of that exact name.
export QT_QPA_PLATFORM=xcb HOME="$recv/home" TMPDIR="$recv/tmp" XDG_CONFIG_HOME="$recv/home/.config"
unset GLW_UI GLW_SCRIPT GLW_RUFFLE_DIR XDG_CACHE_HOME
hidden() {
    exec unshare -m sh -c '
        top="$1"; app="$2"; shift 2
        mount -t tmpfs none "$top" || exit 1
        mount -t tmpfs none "$app" 2>/dev/null || true
        exec "$@"' sh "$top" "$app" "$@"
}
wait_colours() {
    shot="$1"; seconds="$2"; region="$3"; least="$4"
    end=$(($(date +%s) + seconds))
    while :; do
        import -window root "$shot" 2>/dev/null || true
        if [ -f "$shot" ] && [ "$(convert "$shot" -crop "$region" +repage -format '%k' info: 2>/dev/null || echo 0)" -ge "$least" ]; then
            return 0
        fi
        [ "$(date +%s)" -lt "$end" ] || return 1
        sleep 0.3
    done
}
wait_covered() {
    end=$(($(date +%s) + $2))
    while :; do
        import -window root "$1" 2>/dev/null || true
        corner="$(convert "$1" -format '%[pixel:p{1022,766}]' info: 2>/dev/null || echo none)"
        [ "$corner" != "srgb(0,0,0)" ] && [ "$corner" != "gray(0)" ] && [ "$corner" != "none" ] && return 0
        [ "$(date +%s)" -lt "$end" ] || return 1
        sleep 0.3
    done
}
wait_saturated() {
    end=$(($(date +%s) + $3))
    while :; do
        import -window root "$1" 2>/dev/null || true
        share="$(convert "$1" -crop "$2" +repage -colorspace HSL -channel G -separate +channel -threshold 50% \
            -format '%[fx:mean>0.05?1:0]' info: 2>/dev/null || echo 0)"
        [ "$share" = "1" ] && return 0
        [ "$(date +%s)" -lt "$end" ] || return 1
        sleep 0.5
    done
}
wait_window() {
    end=$(($(date +%s) + $2))
    while :; do
        xdotool search --name "^$1\$" >/dev/null 2>&1 && return 0
        [ "$(date +%s)" -lt "$end" ] || return 1
        sleep 0.2
    done
}
result() { echo "$1" >"$work/$2-state"; }

hidden "$recv/glwmovie.exe" >"$work/player.log" 2>&1 &
pid=$!
if wait_colours "$work/player.png" 40 320x120+0+0 16; then result shown player; else result blank player; fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

hidden "$recv/glwmovie.scr" /S >"$work/saver.log" 2>&1 &
pid=$!
# Over the whole screen: the movie's colours, and no corner of the bare (black) screen left.
if wait_colours "$work/saver.png" 40 1024x768+0+0 16 && wait_covered "$work/saver.png" 20; then
    result shown saver
else
    result blank saver
fi
xdotool key a
end=$(($(date +%s) + 10))
while kill -0 "$pid" 2>/dev/null && [ "$(date +%s)" -lt "$end" ]; do sleep 0.2; done
if kill -0 "$pid" 2>/dev/null; then result "still running" saver-end; else result ended saver-end; fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

# The installer installs its screen saver into the receiver's screen-saver folder (headless: its window is
# not what is looked at here), and the installed saver shows the movie.
( export HOME="$recv/home3" XDG_DATA_HOME="$recv/home3/data" XDG_CONFIG_HOME="$recv/home3/config" \
      GLW_UI=headless GLW_SCRIPT="$recv/install.txt"
  hidden "$recv/setup/vrquillset.exe" >"$work/install.log" 2>&1 )
installed="$recv/home3/data/glw/screensavers/glwmovie.scr"
if [ -x "$installed" ]; then
    HOME="$recv/home3" hidden "$installed" /S >"$work/installed.log" 2>&1 &
    pid=$!
    if wait_colours "$work/installed.png" 40 1024x768+0+0 16 && wait_covered "$work/installed.png" 20; then
        result shown installed
    else
        result blank installed
    fi
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
else
    result "not installed" installed
fi

# A receiver's first run: nothing of the good copy in this user's cache.
mkdir -p "$recv/home2"
HOME="$recv/home2" hidden "$recv/damaged.exe" >"$work/damaged.log" 2>&1 &
pid=$!
if wait_window Error 40; then sleep 0.5; import -window root "$work/damaged.png"; result said damaged; else result silent damaged; fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

# The application folder copied away plays its thumbnails: the second cell's clip (an orange sun and red
# texts) in colour, where an outline would be grey.
hidden "$work/fullapp/glwclipart" >"$work/fullapp.log" 2>&1 &
pid=$!
if wait_saturated "$work/fullapp.png" 110x100+394+135 90; then result shown fullapp; else result blank fullapp; fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true

hidden "$work/nofiles/glwclipart" >"$work/nofiles.log" 2>&1 &
pid=$!
if wait_window Error 40; then sleep 0.5; import -window root "$work/nofiles.png"; result said nofiles; else result silent nofiles; fi
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
INNER

fail() { echo "$1"; [ -n "${2:-}" ] && cat "$work/$2"; exit 1; }
[ "$(cat "$work/player-state")" = "shown" ] || fail "the exported player shows no movie away from the build" player.log
[ "$(cat "$work/saver-state")" = "shown" ] || fail "the exported screen saver shows no movie away from the build" saver.log
[ "$(cat "$work/saver-end-state")" = "ended" ] || fail "the screen saver did not end on a key"
[ "$(cat "$work/installed-state")" = "shown" ] ||
    fail "the screen saver installed by the received installer shows no movie: $(cat "$work/installed-state")" install.log
convert "$work/player.png" -crop 320x120+0+0 +repage "$out/exported-player.png"
convert "$work/saver.png" "$out/exported-saver.png"
[ "$(cat "$work/fullapp-state")" = "shown" ] || fail "glwclipart's folder copied away plays no thumbnails" fullapp.log
convert "$work/fullapp.png" "$out/glwclipart-copied-away.png"
[ "$(cat "$work/damaged-state")" = "said" ] || fail "a player with a damaged Flash player said nothing" damaged.log
[ "$(cat "$work/nofiles-state")" = "said" ] || fail "glwclipart without the player's files said nothing" nofiles.log
cp "$work/damaged.png" "$out/exported-player-damaged.png"
cp "$work/nofiles.png" "$out/glwclipart-player-missing.png"
grep -q "damaged" "$work/damaged.log" || fail "the damaged player's message does not say what is damaged" damaged.log
grep -q "glwplayer.txt" "$work/nofiles.log" || fail "glwclipart's message does not name what is missing" nofiles.log
# The boxes are drawn: more than a flat colour where they stand.
for shot in "$out/exported-player-damaged.png" "$out/glwclipart-player-missing.png"; do
    [ "$(convert "$shot" -format '%k' info:)" -ge 8 ] || fail "$shot shows no box"
done
echo "saved $out/exported-player.png, exported-saver.png, exported-player-damaged.png, glwclipart-copied-away.png," \
    "glwclipart-player-missing.png"
