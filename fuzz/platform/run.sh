#!/usr/bin/env bash
# Runs the session-file fuzz target for the given seconds, seeded from a small session of each browser, with
# a dictionary of the sessions' words. Crash files are kept in the work folder's crashes/.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
work="$build/fuzz-work/platform"
rm -rf "$work/corpus" && mkdir -p "$work/corpus" "$work/crashes"
printf '{"windows":[{"tabs":[{"entries":[{"url":"http://a/","title":"A"}],"index":1}]}]}' > "$work/corpus/seed-json"
printf 'SNSS\x03\x00\x00\x00\x1d\x00\x06\x18\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x08\x00\x00\x00http://a\x00\x00\x00\x00' > "$work/corpus/seed-snss"
cat >"$work/dict.txt" <<'WORDS'
"SNSS"
"\x03\x00\x00\x00"
"{\x22windows\x22:["
"\x22tabs\x22:["
"\x22entries\x22:["
"\x22url\x22:"
"\x22title\x22:"
"\x22index\x22:"
"http://"
"file:///"
WORDS
"$build/fuzz-bin/fuzz_browser_sessions" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 \
    -dict="$work/dict.txt" -artifact_prefix="$work/crashes/" "$work/corpus" 2>&1 | tail -2
