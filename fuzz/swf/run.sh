#!/bin/sh
# Runs each SWF fuzz target for a bounded time, seeded from the tests' fixtures and the movie
# corpus, with a dictionary of the format's words. A crash, a sanitizer report or a failed check
# ends the run with a non-zero status; crash files are kept in the work folder's crashes/.
#
#   fuzz/swf/run.sh BUILD_DIR SECONDS
#
# BUILD_DIR is a clang build configured with -DGLW_FUZZ=ON (fuzz/run-all makes one).
set -eu

build=$(cd "${1:?usage: run.sh BUILD_DIR SECONDS}" && pwd)
seconds=${2:-30}
here=$(cd "$(dirname "$0")" && pwd)
corpus="$here/../../../shared/swf-corpus"
work="$build/fuzz-work/swf"

cmake --build "$build" --target fuzz_swf_read fuzz_swf_load_save_load fuzz_swf_seeds

rm -rf "$work/seeds" "$work/fuzz_swf_read" "$work/fuzz_swf_load_save_load"
mkdir -p "$work/seeds" "$work/crashes"
"$build/fuzz-bin/fuzz_swf_seeds" "$work/seeds"
set -- "$work/seeds"
if [ -d "$corpus" ]; then
    set -- "$@" "$corpus"
fi

# The words: the three signatures with a version, every tag kind the engine knows as a long tag header
# (code << 6 | 0x3F, little-endian: the form that carries any length), and byte patterns the tags' bodies
# hold (zlib and LZMA stream starts, JPEG markers with the stray pair older movies carry, an MP3 frame
# sync, a common stage rectangle, frame rate and count, and action codes).
{
    printf '"FWS\\x06"\n"CWS\\x06"\n"ZWS\\x0d"\n"FWS\\x0a"\n"CWS\\x08"\n'
    sed -n 's/^ *[A-Za-z0-9]* = \([0-9][0-9]*\),.*/\1/p' "$here/../../src/swf/TagCode.h" | while read -r code; do
        header=$((code * 64 + 63))
        printf '"\\x%02x\\x%02x"\n' $((header % 256)) $((header / 256))
    done
    cat <<'WORDS'
"\x40\x00"
"\x00\x00"
"\xff\xff\xff\xff"
"\x78\x9c"
"\x78\xda"
"\x5d\x00\x00\x10\x00"
"\xff\xd8"
"\xff\xd9"
"\xff\xd9\xff\xd8"
"\xff\xc0"
"\xff\xc4"
"\xff\xda"
"\xff\xfb"
"\x78\x00\x05\x5f\x00\x00\x0f\xa0\x00"
"\x00\x0c"
"\x01\x00"
"\x96"
"\x83"
"\x9a"
"\x1c"
"\x1d"
"\x07"
"\x81"
"\x8c"
"_root"
"_level0"
"FSCommand:"
"http://"
WORDS
} >"$work/dict.txt"

status=0
for target in fuzz_swf_read fuzz_swf_load_save_load; do
    mkdir -p "$work/$target"
    echo "== $target for ${seconds}s"
    # The first folder collects new inputs; the seed folders are only read.
    if ! "$build/fuzz-bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -dict="$work/dict.txt" -artifact_prefix="$work/crashes/$target-" -print_final_stats=1 \
        "$work/$target" "$@"; then
        status=1
        echo "crash files kept in $work/crashes/"
    fi
done
exit $status
