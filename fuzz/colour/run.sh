#!/usr/bin/env bash
# Runs the palette-model fuzz target for the given seconds, seeded from a palette of the named hues and a
# file of extreme values, with a dictionary of its numbers. Crash files are kept in the work folder's crashes/.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
work="$build/fuzz-work/colour"
rm -rf "$work/corpus" && mkdir -p "$work/corpus" "$work/crashes"
head -c 512 /dev/zero > "$work/corpus/zero.axp"
head -c 512 /dev/zero | tr '\0' '\377' > "$work/corpus/ones.axp"
printf '\377\000\000\000\000\000\000\000\360\000\000\000\170\000\000\000%.0s' $(seq 32) > "$work/corpus/red.axp"
# A palette file is 32 records of four little-endian 32-bit numbers (colour, hue, saturation, luminance):
# the words are such numbers.
cat >"$work/dict.txt" <<'WORDS'
"\x00\x00\x00\x00"
"\xff\xff\xff\x00"
"\xff\xff\xff\xff"
"\xf0\x00\x00\x00"
"\x00\x00\x00\x80"
"\xff\xff\xff\x7f"
WORDS
"$build/fuzz-bin/fuzz_palette_model" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 \
    -dict="$work/dict.txt" -artifact_prefix="$work/crashes/" "$work/corpus" 2>&1 | tail -2
