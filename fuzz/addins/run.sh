#!/usr/bin/env bash
# Runs the clipboard-text fuzz target for the given seconds, seeded from a reply, a request and a page address.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
work="$build/fuzz-work/addins"
rm -rf "$work" && mkdir -p "$work"
printf '(GLWFPRetClip)[Exit]<GLWCODE><OBJECT WIDTH=100%% HEIGHT=80 flashvars="a=1"></GLWCODE><GLWFILES>GLWDATA,Working\\clip.swf</GLWFILES>' > "$work/reply"
printf '(WBLFPCommand)[/web/](!1!){GLWDATA}(@a.htm@)' > "$work/request"
printf 'file:///home/a/My%%20Web/index.htm' > "$work/url"
printf '<OBJECT><PARAM NAME=movie VALUE="GLWDATA/clip.swf"></OBJECT>' > "$work/object"
"$build/fuzz-bin/fuzz_clip_text" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 "$work" 2>&1 | tail -2
