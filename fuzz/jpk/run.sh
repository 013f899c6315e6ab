#!/usr/bin/env bash
# Runs the package and zip fuzz targets for the given seconds each, seeded from small packages and archives,
# each with a dictionary of its format's words. Crash files are kept in the work folder's crashes/.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$build/fuzz-work/jpk"
rm -rf "$work/jpk" "$work/zip" "$work/files" && mkdir -p "$work/jpk" "$work/zip" "$work/files" "$work/crashes"
printf 'a.txt\x005\x00hellob.swf\x003\x00abc' > "$work/jpk/seed1"
printf 'startup.ini\x002\x00x\n' > "$work/jpk/seed2"
(cd "$work/files" && printf 'hi' > f.txt && zip -q -P pw "$work/zip/seed.zip" f.txt && zip -q "$work/zip/plain.zip" f.txt)
cat >"$work/jpk.dict" <<'WORDS'
"startup.ini\x00"
"glwmovie.swf\x00"
"\x00"
"0\x00"
"4294967295\x00"
WORDS
cat >"$work/zip.dict" <<'WORDS'
"PK\x03\x04"
"PK\x01\x02"
"PK\x05\x06"
"PK\x07\x08"
"PK\x06\x06"
"PK\x06\x07"
WORDS
"$build/fuzz-bin/fuzz_jpk_walker" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 \
    -dict="$work/jpk.dict" -artifact_prefix="$work/crashes/jpk-" "$work/jpk" 2>&1 | tail -2
"$build/fuzz-bin/fuzz_zip_list" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 \
    -dict="$work/zip.dict" -artifact_prefix="$work/crashes/zip-" "$work/zip" 2>&1 | tail -2
