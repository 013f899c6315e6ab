#!/bin/sh
# Runs each SWF fuzz target for a bounded time, seeded from the tests' fixtures and the movie
# corpus. A crash, a sanitizer report or a failed check ends the run with a non-zero status.
#
#   fuzz/swf/run.sh BUILD_DIR SECONDS
#
# BUILD_DIR is a clang build configured with -DGLW_FUZZ=ON (fuzz/run-all makes one).
set -eu

build=${1:?usage: run.sh BUILD_DIR SECONDS}
seconds=${2:-30}
here=$(cd "$(dirname "$0")" && pwd)
corpus="$here/../../../shared/swf-corpus"

cmake --build "$build" --target fuzz_swf_read fuzz_swf_load_save_load fuzz_swf_seeds

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/seeds"
"$build/fuzz-bin/fuzz_swf_seeds" "$work/seeds"
set -- "$work/seeds"
if [ -d "$corpus" ]; then
    set -- "$@" "$corpus"
fi

status=0
for target in fuzz_swf_read fuzz_swf_load_save_load; do
    mkdir -p "$work/$target"
    echo "== $target for ${seconds}s"
    # The first folder collects new inputs; the seed folders are only read.
    if ! "$build/fuzz-bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$work/" -print_final_stats=1 "$work/$target" "$@"; then
        status=1
        for crash in "$work"/crash-* "$work"/leak-* "$work"/timeout-* "$work"/oom-*; do
            if [ -e "$crash" ]; then
                cp "$crash" "$build/"
                echo "kept $build/$(basename "$crash")"
            fi
        done
    fi
done
exit $status
