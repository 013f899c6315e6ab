#!/usr/bin/env bash
# Runs the script parser's fuzz target for the given seconds, seeded from the scripts the tests run.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$build/fuzz-work/forms"
rm -rf "$work" && mkdir -p "$work/corpus" "$work/seeds"
python3 "$here/seeds.py" "$here/../../tests" "$work/seeds"
"$build/fuzz-bin/fuzz_script" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 \
    "$work/corpus" "$work/seeds" 2>&1 | tail -2
