#!/usr/bin/env bash
# Runs the package and zip fuzz targets for the given seconds each, seeded from small packages and archives.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$build/fuzz-work/jpk"
rm -rf "$work" && mkdir -p "$work/jpk" "$work/zip"
printf 'a.txt\x005\x00hellob.swf\x003\x00abc' > "$work/jpk/seed1"
printf 'startup.ini\x002\x00x\n' > "$work/jpk/seed2"
(cd "$work" && printf 'hi' > f.txt && zip -q -P pw "$work/zip/seed.zip" f.txt && zip -q "$work/zip/plain.zip" f.txt)
"$build/fuzz-bin/fuzz_jpk_walker" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 "$work/jpk" 2>&1 | tail -2
"$build/fuzz-bin/fuzz_zip_list" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 "$work/zip" 2>&1 | tail -2
