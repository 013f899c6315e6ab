# Waiting on conditions for the desktop shell tests (sourced, POSIX sh): every wait polls what the test needs
# (a window, a file, the screen's pixels) and gives up after a time-out, so a fast machine never sleeps
# longer than it must and a slow one is not failed by a guess.

# wait_until SECONDS COMMAND...: runs COMMAND every 0.2 s until it succeeds; fails after SECONDS.
wait_until() {
    wait_limit=$(($(date +%s) + $1))
    shift
    until "$@"; do
        [ "$(date +%s)" -lt "$wait_limit" ] || return 1
        sleep 0.2
    done
}

# wait_window NAME [SECONDS]: prints the id of the first visible window whose title matches NAME; fails
# (printing nothing) when none shows within SECONDS (default 30).
wait_window() {
    timeout "${2:-30}" xdotool search --sync --onlyvisible --name "$1" 2>/dev/null | head -n 1
}

# wait_file PATH [SECONDS]: waits until PATH exists and is not empty.
wait_file() {
    wait_until "${2:-30}" test -s "$1"
}

# screen_hash: a digest of the screen's pixels (raw, so no picture is encoded on every poll).
screen_hash() {
    import -window root -depth 8 rgb:- 2>/dev/null | md5sum
}

# screen_still: true when the screen is the same 0.3 s apart.
screen_still() {
    wait_before=$(screen_hash)
    sleep 0.3
    [ "$(screen_hash)" = "$wait_before" ]
}

# settle [SECONDS]: waits until the screen stops changing (a click's answer drawn, a dialog shown), at most
# SECONDS (default 10). A screen that keeps moving (a movie playing) does not fail the wait: the time-out
# ends it and the test's own checks on the pixels decide.
settle() {
    wait_until "${1:-10}" screen_still || true
}

# screen_differs_from REFERENCE: true when the screen differs from the picture REFERENCE.
screen_differs_from() {
    wait_dir="${TMPDIR:-/tmp}/glw-wait.$$"
    mkdir -p "$wait_dir"
    import -window root "$wait_dir/now.png" 2>/dev/null || return 1
    wait_diff=$(compare -metric AE "$1" "$wait_dir/now.png" null: 2>&1 || true)
    rm -rf "$wait_dir"
    [ "${wait_diff%% *}" != 0 ]
}

# wait_screen_change REFERENCE [SECONDS]: waits until the screen differs from the picture REFERENCE.
wait_screen_change() {
    wait_until "${2:-30}" screen_differs_from "$1"
}
