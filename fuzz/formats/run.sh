#!/usr/bin/env bash
# Runs the formats' fuzz targets for the given seconds each, each seeded from small files of its format and
# given a dictionary of the format's words. Crash files are kept in each target's crashes/.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
base="$build/fuzz-work/formats"

# run <target> <name>: fuzzes with the corpus and dictionary made in $base/<name>.
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

fresh player-pack
work="$base/player-pack"
printf 'glwplayer 1\nversion 0.6.0\nfile 3 352441c2 ruffle.js\n' >"$work/corpus/manifest.txt"
printf 'GLWPACK1\064\000\000\000glwplayer 1\nversion 0.6.0\nfile 3 352441c2 ruffle.js\n' >"$work/corpus/pack.bin"
printf 'abc' | xz --format=xz --check=crc32 >>"$work/corpus/pack.bin"
cat >"$work/dict.txt" <<'WORDS'
"glwplayer 1\x0a"
"version "
"file "
"GLWPACK1"
"\xfd7zXZ\x00"
"ruffle.js"
"glwplayer.txt"
WORDS
run fuzz_player_pack player-pack

fresh startup-list
work="$base/startup-list"
printf 'glwmovie.swf\r\n 400\r\n 550\r\n#FFFFFF\r\nshowAll\r\n&CWR=0&CWG=0&CWB=0 \r\nx.txt|y.txt\r\n' \
    >"$work/corpus/player.ini"
printf 'glwmovie.swf\r\n 400\r\n 550\r\n#000000\r\nVorel Media\r\nhttp://www.example.com/\r\nexactFit\r\n \r\n' \
    >"$work/corpus/saver.ini"
cat >"$work/dict.txt" <<'WORDS'
"glwmovie.swf"
"\x0d\x0a"
","
"\x22"
"|"
" 12.5"
"&H10"
"1E+20"
"#FFFFFF"
"showAll"
"noBorder"
"exactFit"
"noScale"
"&CWR=0&CWG=0&CWB=0 "
WORDS
run fuzz_startup_list startup-list

# The texts the export hands on, each seeded with a text its writer gives.
tag="<OBJECT  ID='GLINTWAVECL1' NAME='GLINTWAVECL1' WIDTH=550 HEIGHT=400><PARAM NAME=movie VALUE=\"GLWDATA/c.swf\"><PARAM NAME=quality VALUE=high> <PARAM NAME=flashvars VALUE=\"DT=GLWDATA/&a=1\"> <PARAM NAME=bgcolor VALUE=#FFFFFF><PARAM NAME=WMode VALUE=Opaque><PARAM NAME=Scale VALUE=showAll><PARAM NAME=SAlign VALUE=LT><EMBED src='GLWDATA/c.swf' quality=high bgcolor=#FFFFFF swLiveConnect=\"true\" NAME=\"eLINTWAVECL1\" TYPE=\"application/x-shockwave-flash\" PLUGINSPAGE=\"http://www.adobe.com/go/getflashplayer\" WIDTH=550 HEIGHT=400 wmode=Opaque flashvars=\"DT=GLWDATA/&a=1\" scale=showAll></EMBED></OBJECT>"
fresh export-files
printf 'GLWDATA,C:\\app\\Working\\a,b.swf|,C:\\x.dat' >"$base/export-files/corpus/files"
printf '"|"\n","\n"GLWDATA"\n"C:\\\\app\\\\Working\\\\"\n' >"$base/export-files/dict.txt"
run fuzz_export_files export-files

fresh export-code
printf 'GLINTWAVECL94257|GLWDATA/clip.swf|#336699' >"$base/export-code/corpus/code"
printf '"|"\n"GLINTWAVECL"\n"#FFFFFF"\n"GLWDATA/"\n' >"$base/export-code/dict.txt"
run fuzz_export_code export-code

fresh object-tag
printf '%s' "$tag" >"$base/object-tag/corpus/tag"
printf '"<OBJECT  ID=\x27"\n"\x27 NAME=\x27"\n" WIDTH="\n" HEIGHT="\n"<PARAM NAME="\n"<EMBED src=\x27"\n"flashvars=\\"DT="\n"></EMBED></OBJECT>"\n"%%"\n' \
    >"$base/object-tag/dict.txt"
run fuzz_object_tag object-tag

fresh clip-request
printf '(WBLFPCommand)[C:\\web](!1!){GLWDATA}(@a.htm|b.gif@)' >"$base/clip-request/corpus/page"
printf '(WBLFPCommand)[RunningGLWPowerPoint](!!){}(@@)' >"$base/clip-request/corpus/presentation"
printf '"(WBLFPCommand)"\n"["\n"](!"\n"!){"\n"}(@"\n"@)"\n"|"\n"RunningGLWPowerPoint"\n' >"$base/clip-request/dict.txt"
run fuzz_clip_request clip-request

fresh clip-reply
printf '(GLWFPRetClip)[Exit]<GLWCODE>%s</GLWCODE><GLWFILES>GLWDATA,C:\\app\\Working\\c.swf|,C:\\x</GLWFILES>' "$tag" \
    >"$base/clip-reply/corpus/reply"
printf '"(GLWFPRetClip)[Exit]<GLWCODE>"\n"</GLWCODE><GLWFILES>"\n"</GLWFILES>"\n"|"\n","\n".."\n"\\\\"\n"C:"\n' \
    >"$base/clip-reply/dict.txt"
run fuzz_clip_reply clip-reply
