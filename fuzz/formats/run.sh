#!/usr/bin/env bash
# Runs the player-pack fuzz target for the given seconds, seeded from a manifest and a small pack, with a
# dictionary of the format's words. Crash files are kept in the work folder's crashes/.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
work="$build/fuzz-work/formats"
rm -rf "$work/corpus" && mkdir -p "$work/corpus" "$work/crashes"
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
"$build/fuzz-bin/fuzz_player_pack" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 \
    -dict="$work/dict.txt" -artifact_prefix="$work/crashes/" "$work/corpus" 2>&1 | tail -2
