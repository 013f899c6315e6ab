#!/usr/bin/env bash
# Runs the platform's fuzz targets for the given seconds each: the session files, seeded from a small session of
# each browser, and the cache files, seeded from a small entry of each browser's cache; each with a dictionary of
# its format's words. Crash files are kept in each target's crashes/.
set -euo pipefail
build="$(cd "$1" && pwd)"
seconds="$2"
base="$build/fuzz-work/platform"

. "$(dirname "$0")/../targets.sh"

fresh sessions
work="$base/sessions"
printf '{"windows":[{"tabs":[{"entries":[{"url":"http://a/","title":"A"}],"index":1}]}]}' > "$work/corpus/seed-json"
printf 'SNSS\x03\x00\x00\x00\x1d\x00\x06\x18\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x08\x00\x00\x00http://a\x00\x00\x00\x00' > "$work/corpus/seed-snss"
cat >"$work/dict.txt" <<'WORDS'
"SNSS"
"\x03\x00\x00\x00"
"{\x22windows\x22:["
"\x22tabs\x22:["
"\x22entries\x22:["
"\x22url\x22:"
"\x22title\x22:"
"\x22index\x22:"
"http://"
"file:///"
WORDS
run fuzz_browser_sessions sessions

fresh cache
work="$base/cache"
# A small entry of each cache, as the tests build them: Firefox's cache2 (the body, the metadata's hash, one chunk
# hash, the version 3 header with the key's size, flags, the key with its zero, the body's length) and Chromium's
# simple cache (header with the key's length, the key, the body, its end record, response headers and the closing
# end record with their length).
python3 - "$work/corpus" <<'SEEDS'
import struct, sys
body = b"FWS\x06\x10\x00\x00\x00" + bytes(8)
key = b":http://a/b.swf"
meta = struct.pack(">I", 0x12345678) + b"\x01\x02" + struct.pack(">8I", 3, 1, 0, 0, 5, 0, len(key), 0) + key + b"\x00"
open(sys.argv[1] + "/firefox", "wb").write(body + meta + struct.pack(">I", len(body)))
key = b"1/0/_dk_http://a http://a http://a/b.swf"
headers = b"HTTP/1.1 200 OK\n"
entry = struct.pack("<QIIII", 0xfcfb6d1ba7725c30, 5, len(key), 0, 0) + key + body.replace(b"FWS", b"CWS")
entry += struct.pack("<QIIII", 0xf4fa6f45970d41d8, 1, 0, 0, 0) + headers
entry += struct.pack("<QIIII", 0xf4fa6f45970d41d8, 1, 0, len(headers), 0)
open(sys.argv[1] + "/chromium_0", "wb").write(entry)
SEEDS
cat >"$work/dict.txt" <<'WORDS'
"\x30\x5c\x72\xa7\x1b\x6d\xfb\xfc"
"\xd8\x41\x0d\x97\x45\x6f\xfa\xf4"
"\x05\x00\x00\x00"
"\x02\x00\x00\x00"
"\x00\x00\x00\x03"
"\x00\x00\x00\x02"
"\xff\xff\xff\xff"
"1/0/_dk_"
"a,:"
"O^partitionKey="
":http://"
"https://"
"FWS"
"CWS"
"ZWS"
".swf"
"?v=1"
WORDS
run fuzz_browser_cache cache
