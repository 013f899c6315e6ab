#!/usr/bin/env bash
# Runs the clipboard-text fuzz target for the given seconds, seeded from a reply, a request and a page address,
# with a dictionary of the texts' words. Crash files are kept in the work folder's crashes/.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
work="$build/fuzz-work/addins"
rm -rf "$work/corpus" && mkdir -p "$work/corpus" "$work/crashes"
printf '(GLWFPRetClip)[Exit]<GLWCODE><OBJECT WIDTH=100%% HEIGHT=80 flashvars="a=1"></GLWCODE><GLWFILES>GLWDATA,Working\\clip.swf</GLWFILES>' > "$work/corpus/reply"
printf '(WBLFPCommand)[/web/](!1!){GLWDATA}(@a.htm@)' > "$work/corpus/request"
printf 'file:///home/a/My%%20Web/index.htm' > "$work/corpus/url"
printf '<OBJECT><PARAM NAME=movie VALUE="GLWDATA/clip.swf"></OBJECT>' > "$work/corpus/object"
cat >"$work/dict.txt" <<'WORDS'
"(GLWFPRetClip)[Exit]<GLWCODE>"
"</GLWCODE><GLWFILES>"
"</GLWFILES>"
"(WBLFPCommand)"
"[RunningGLWPowerPoint]"
"(!!){}(@@)"
"GLWDATA"
"<OBJECT"
"<PARAM NAME=movie VALUE="
"<EMBED"
"file:///"
"%20"
"|"
","
WORDS
"$build/fuzz-bin/fuzz_clip_text" -max_total_time="$seconds" -rss_limit_mb=1024 -print_final_stats=0 \
    -dict="$work/dict.txt" -artifact_prefix="$work/crashes/" "$work/corpus" 2>&1 | tail -2
