#!/usr/bin/env bash
# Runs the palette-file fuzz target for the given seconds, seeded from a palette of the named hues and a
# file of extreme values.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
work="$build/fuzz-work/colour"
rm -rf "$work" && mkdir -p "$work"
head -c 512 /dev/zero > "$work/zero.axp"
head -c 512 /dev/zero | tr '\0' '\377' > "$work/ones.axp"
printf '\377\000\000\000\000\000\000\000\360\000\000\000\170\000\000\000%.0s' $(seq 32) > "$work/red.axp"
"$build/fuzz-bin/fuzz_palette_file" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 "$work" 2>&1 | tail -2
