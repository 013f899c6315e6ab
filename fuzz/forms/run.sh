#!/usr/bin/env bash
# Runs the script parser's fuzz target for the given seconds, seeded from the scripts the tests run.
# Crash files are kept in the work folder's crashes/.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
here="$(cd "$(dirname "$0")" && pwd)"
work="$build/fuzz-work/forms"
rm -rf "$work/corpus" "$work/seeds" && mkdir -p "$work/corpus" "$work/seeds" "$work/crashes"
python3 "$here/seeds.py" "$here/../../tests" "$work/seeds"
"$build/fuzz-bin/fuzz_script" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 \
    -artifact_prefix="$work/crashes/" "$work/corpus" "$work/seeds" 2>&1 | tail -2
