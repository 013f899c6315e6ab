#!/bin/sh
# Runs the colour dialog under Xvfb and saves its screenshots in <build>/screenshots (see ColorDialogShot.cpp).
# Usage: colour-shot.sh <build folder> <program>. Exits 77 (skipped) without Xvfb or xdotool.
set -eu
build="${1:?usage: colour-shot.sh <build folder> <program>}"
program="${2:?usage: colour-shot.sh <build folder> <program>}"
command -v xvfb-run >/dev/null 2>&1 || { echo "skipped: xvfb-run is not installed"; exit 77; }
command -v xdotool >/dev/null 2>&1 || { echo "skipped: xdotool is not installed"; exit 77; }
mkdir -p "$build/screenshots"
unset GLW_UI GLW_SCRIPT
QT_QPA_PLATFORM=xcb "$(dirname "$0")/../../support/xvfb-run-free" -s "-screen 0 1280x1024x24" "$program" "$build/screenshots"
