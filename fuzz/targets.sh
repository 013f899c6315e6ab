# Sourced by the fuzz folders' run.sh, after they set `build`, `seconds` and `base` (their work folder): one
# corpus, dictionary and crashes/ folder per target under $base/<name>.

# run <target> <name>: fuzzes with the corpus and dictionary made in $base/<name>; crash files go to its crashes/.
run() {
    local work="$base/$2"
    mkdir -p "$work/crashes"
    "$build/fuzz-bin/$1" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 \
        -dict="$work/dict.txt" -artifact_prefix="$work/crashes/" "$work/corpus" 2>&1 | tail -2
}

# fresh <name>: an empty corpus for the target.
fresh() {
    rm -rf "$base/$1/corpus" && mkdir -p "$base/$1/corpus"
}
