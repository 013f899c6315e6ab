#!/usr/bin/env bash
# Runs the session-file fuzz target for the given seconds, seeded from a small session of each browser.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
work="$build/fuzz-work/platform"
rm -rf "$work" && mkdir -p "$work"
printf '{"windows":[{"tabs":[{"entries":[{"url":"http://a/","title":"A"}],"index":1}]}]}' > "$work/seed-json"
printf 'SNSS\x03\x00\x00\x00\x1d\x00\x06\x18\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x08\x00\x00\x00http://a\x00\x00\x00\x00' > "$work/seed-snss"
"$build/fuzz-bin/fuzz_browser_sessions" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 "$work" 2>&1 | tail -2
