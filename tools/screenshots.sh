#!/usr/bin/env bash
# Renders the program's main screens offscreen into docs/screenshots/ and
# refreshes the README's picture list and the metainfo's screenshot list from
# them. Re-run whenever the screens change; add screens in
# tools/screenshots/screenshots.cpp.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release -DLUMORA_SAMPLES=ON >/dev/null
cmake --build --preset release --parallel 2 --target lumora_screenshots lumora-cli samples
out=docs/screenshots
mkdir -p "$out"
rm -f "$out"/*.png
# A screen as large as a classroom monitor, so that windows get their full size.
config=$(mktemp)
trap 'rm -f "$config"' EXIT
cat >"$config" <<'JSON'
{ "screens": [ { "name": "screen", "x": 0, "y": 0, "width": 1280, "height": 1024,
                 "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] }
JSON
LUMORA_SCREENSHOT_DIR=$PWD/$out LUMORA_SAMPLES=$PWD/build/release/bin/samples \
  LUMORA_CLI=$PWD/build/release/bin/lumora-cli QT_QPA_PLATFORM="offscreen:configfile=$config" \
  build/release/bin/lumora_screenshots --gtest_brief=1

# The README shows every picture between its two markers.
python3 - "$out/screens.txt" README.md <<'PY'
import sys
screens, readme = sys.argv[1], sys.argv[2]
lines = [l.rstrip("\n").split(" ", 1) for l in open(screens, encoding="utf-8") if l.strip()]
block = "".join(f"![{caption}](docs/screenshots/{name})\n\n" for name, caption in lines)
text = open(readme, encoding="utf-8").read()
start, end = "<!-- screenshots -->\n", "<!-- /screenshots -->\n"
head, rest = text.split(start, 1)
_, tail = rest.split(end, 1)
open(readme, "w", encoding="utf-8").write(head + start + "\n" + block + end + tail)
PY
echo "Pictures in $out; README updated. The metainfo takes them at the next configure."
