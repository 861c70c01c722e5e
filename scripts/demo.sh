#!/usr/bin/env bash
# The demo: makes a sample ".sup" with the toolkit, decodes it to text and
# bitmaps, writes its HTML page, and says where everything is.
set -euo pipefail
cd "$(dirname "$0")/.."

bin=build/release
out=out/demo
rm -rf "$out"
mkdir -p "$out"

"$bin/make_sample_sup" "$out/sample.sup" > /dev/null
"$bin/OstrelDecode" -bitmap "$out/sample.sup"
"$bin/OstrelHTML" -bitmap "$out/sample.sup"

echo
echo "Demo outputs in $(pwd)/$out:"
echo "  sample.sup           the sample subtitle stream"
echo "  sample.txt           its decoded text (one line per subtitle)"
echo "  sample_000001.bmp... one bitmap per subtitle"
echo "  sample.html          the page that describes every block (open it in a browser)"
