#!/usr/bin/env bash
# Runs the formats' fuzz targets for the given seconds each, each seeded from small files of its format and
# given a dictionary of the format's words. Crash files are kept in each target's crashes/.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
base="$build/fuzz-work/formats"

. "$(dirname "$0")/../targets.sh"

fresh player-pack
work="$base/player-pack"
printf 'glwplayer 1\nversion 0.6.0\nfile 3 352441c2 ruffle.js\n' >"$work/corpus/manifest.txt"
printf 'GLWPACK1\064\000\000\000glwplayer 1\nversion 0.6.0\nfile 3 352441c2 ruffle.js\n' >"$work/corpus/pack.bin"
printf 'abc' | xz --format=xz --check=crc32 >>"$work/corpus/pack.bin"
cat >"$work/dict.txt" <<'WORDS'
"glwplayer 1\x0a"
"version "
"file "
"GLWPACK1"
"\xfd7zXZ\x00"
"ruffle.js"
"glwplayer.txt"
WORDS
run fuzz_player_pack player-pack

fresh startup-list
work="$base/startup-list"
printf 'glwmovie.swf\r\n 400\r\n 550\r\n#FFFFFF\r\nshowAll\r\n&CWR=0&CWG=0&CWB=0 \r\nx.txt|y.txt\r\n' \
    >"$work/corpus/player.ini"
printf 'glwmovie.swf\r\n 400\r\n 550\r\n#000000\r\nVorel Media\r\nhttp://www.example.com/\r\nexactFit\r\n \r\n' \
    >"$work/corpus/saver.ini"
cat >"$work/dict.txt" <<'WORDS'
"glwmovie.swf"
"\x0d\x0a"
","
"\x22"
"|"
" 12.5"
"&H10"
"1E+20"
"#FFFFFF"
"showAll"
"noBorder"
"exactFit"
"noScale"
"&CWR=0&CWG=0&CWB=0 "
WORDS
run fuzz_startup_list startup-list
