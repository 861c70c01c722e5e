#!/usr/bin/env bash
# The demo: encodes the sample subtitle text (several scripts and code pages,
# a right-to-left line, an external bitmap), decodes the result to text and
# bitmaps, writes its HTML page, and says where everything is. It also
# writes a stream made by the toolkit alone and describes it.
set -euo pipefail
cd "$(dirname "$0")/.."

bin=build/release
out=out/demo
rm -rf "$out"
mkdir -p "$out/decoded"

cp samples/demo.txt samples/logo.bmp "$out/"
"$bin/OstrelEncode" "$out/demo.txt"
cp "$out/demo.sup" "$out/decoded/"
"$bin/OstrelDecode" -bitmap "$out/decoded/demo.sup"
"$bin/OstrelHTML" -bitmap "$out/decoded/demo.sup"
"$bin/make_sample_sup" "$out/toolkit_sample.sup"
"$bin/OstrelHTML" "$out/toolkit_sample.sup"

echo
echo "Demo outputs in $(pwd)/$out:"
echo "  demo.txt, logo.bmp         the sample subtitle text and the bitmap it names"
echo "  demo.sup, demo.log         the encoded stream and the encoder's log"
echo "  decoded/demo.txt           the stream decoded back to subtitle text"
echo "  decoded/demo_000001.bmp... one bitmap per subtitle"
echo "  decoded/demo.html          the page that describes every block (open it in a browser)"
echo "  toolkit_sample.sup/.html   a stream written by the toolkit alone, and its page"
