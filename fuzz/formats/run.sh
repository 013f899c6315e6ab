#!/usr/bin/env bash
# Runs the formats' fuzz targets for the given seconds each, each seeded from small files of its format and
# given a dictionary of the format's words. Crash files are kept in each target's crashes/.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
base="$build/fuzz-work/formats"

# run <target> <name>: fuzzes with the corpus and dictionary made in $base/<name>.
run() {
    local work="$base/$2"
    mkdir -p "$work/crashes"
    "$build/fuzz-bin/$1" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 \
        -dict="$work/dict.txt" -artifact_prefix="$work/crashes/" "$work/corpus" 2>&1 | tail -2
}

# fresh <name>: an empty corpus for the target.
fresh() {
    rm -rf "$base/$1/corpus" && mkdir -p "$base/$1/corpus"
}

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

fresh update-replies
work="$base/update-replies"
printf '12/5/2004/host|folder|update.zip/GLW UPDATE\r\n' >"$work/corpus/version.txt"
printf '[imports/animals.gwi](Animals)|[imports/loops.gwi](Party loops)|\r\n' >"$work/corpus/imports.txt"
printf '<html><body>404 Not Found</body></html>' >"$work/corpus/missing.html"
cat >"$work/dict.txt" <<'WORDS'
"GLW UPDATE"
"404"
"/"
"|"
"["
"]"
"("
")"
"\x0d\x0a"
"http:||"
".gwi"
"imports/"
".."
":"
"\x5c"
WORDS
run fuzz_update_replies update-replies
