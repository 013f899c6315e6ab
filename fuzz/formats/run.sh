#!/usr/bin/env bash
# Runs the formats' fuzz targets for the given seconds each, each seeded from small files of its format and
# given a dictionary of the format's words. Crash files are kept in each target's crashes/.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
base="$build/fuzz-work/formats"

. "$(dirname "$0")/../targets.sh"

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

fresh nav-scripts
work="$base/nav-scripts"
printf "alert('hi');\r\ngo(1);\r\n" >"$work/corpus/navscripts.txt"
printf "  go(1);  \r\n\r\n   \nback();" >"$work/corpus/blanks.txt"
cat >"$work/dict.txt" <<'WORDS'
"\x0d\x0a"
"\x0d"
"\x0a"
" "
"\x09"
";"
"'"
"alert('hi');"
"history.back();"
WORDS
run fuzz_nav_scripts nav-scripts

fresh import-info
work="$base/import-info"
printf '[clipart]{Round blue buttons}\r\n' >"$work/corpus/clipart.dat"
printf '[MP3Loops]{Party sounds}\r\n[x]{y}' >"$work/corpus/loops.dat"
cat >"$work/dict.txt" <<'WORDS'
"["
"]"
"{"
"}"
"]{"
"\x0d\x0a"
"\x0a"
"clipart"
"MP3Loops"
"JPGClips"
WORDS
run fuzz_import_info import-info

fresh colour-presets
work="$base/colour-presets"
printf '[Red]-+(255){0}<0>+-\r\n[Grey]-+(128){128}<128>+-\r\n' >"$work/corpus/cpresets.fpf"
printf '[Odd]-+( 12.5 ){abc}<-3>+-\r[NoGreen]-+(10)<30>+-\n[Big]-+(1E+999){&H10}<1>+-' >"$work/corpus/odd.fpf"
cat >"$work/dict.txt" <<'WORDS'
"["
"]"
"-+"
"+-"
"("
")"
"{"
"}"
"<"
">"
"\x0d\x0a"
"\x0d"
"12.5"
"-3"
"&H10"
"1E+999"
WORDS
run fuzz_colour_presets colour-presets

fresh palette-file
work="$base/palette-file"
head -c 512 /dev/zero >"$work/corpus/zero.axp"
printf '\377\000\000\000\360\000\000\000\170\000\000\000\000\000\000\000%.0s' $(seq 32) >"$work/corpus/red.axp"
# A palette file is 32 records of four little-endian 32-bit numbers (colour, hue, saturation, luminance).
cat >"$work/dict.txt" <<'WORDS'
"\x00\x00\x00\x00"
"\xff\xff\xff\x00"
"\xff\xff\xff\xff"
"\x00\x00\x00\x80"
"\xff\xff\xff\x7f"
WORDS
run fuzz_palette_file palette-file
fresh update-replies
work="$base/update-replies"
printf '12/5/2004/host|folder|update.zip/GLW UPDATE\r\n' >"$work/corpus/version.txt"
printf '[imports/animals.gwi](Animals)|[imports/loops.gwi](Party loops)|\r\n' >"$work/corpus/imports.txt"
printf '<html><body>404 Not Found</body></html>' >"$work/corpus/missing.html"
cat >"$work/dict.txt" <<'WORDS'
"GLW UPDATE"
"404"
"/"
"|"
"["
"]"
"("
")"
"\x0d\x0a"
"http:||"
".gwi"
"imports/"
".."
":"
"\x5c"
WORDS
run fuzz_update_replies update-replies
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
