#!/usr/bin/env bash
# Installs the build into a staging folder as a packager would and checks what
# lands there: the programs run from their installed place, the menu entry and
# the metainfo pass the desktop's validators, icons have the sizes their
# folders claim. With --deb, builds the Debian package and checks its
# dependencies and contents.
#   install_test.sh BUILD_DIR VERSION [--deb]
set -uo pipefail
build=$1
version=$2
id=net.lumorazuds.lumora
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if [ "${3:-}" = "--deb" ]; then
  (cd "$stage" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$stage/deb" >"$stage/cpack.log" 2>&1) ||
    { cat "$stage/cpack.log"; echo "FAIL: cpack"; exit 1; }
  deb=$(ls "$stage"/deb/*.deb 2>/dev/null | head -n 1)
  [ -n "$deb" ] || { echo "FAIL: no .deb made"; exit 1; }
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  for p in libqt6widgets6 libqt6printsupport6 libqt6svg6 libstdc++6 qt6-qpa-plugins fonts-ipafont-gothic; do
    grep -q "\b$p\b" <<<"$depends" || fail "the package does not depend on $p"
  done
  contents=$(dpkg-deb -c "$deb")
  for f in ./usr/bin/lumora ./usr/bin/lumora-cli ./usr/share/applications/$id.desktop \
    ./usr/share/metainfo/$id.metainfo.xml ./usr/share/icons/hicolor/scalable/apps/$id.svg \
    ./usr/share/lumora/help/ja/contents.html; do
    grep -q " $f\$" <<<"$contents" || fail "the package lacks $f"
  done
  [ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"
  exit $((failures > 0))
fi

prefix=$stage/usr
cmake --install "$build" --prefix "$prefix" >"$stage/install.log" 2>&1 ||
  { cat "$stage/install.log"; echo "FAIL: cmake --install"; exit 1; }

# The installed programs answer from where they were installed.
out=$(timeout 60 "$prefix/bin/lumora-cli" --version) || fail "lumora-cli --version exits with $?"
[ "$out" = "lumora-cli $version" ] || fail "lumora-cli --version says '$out'"
# (A program that ignored the option would open its window: the timeout ends it.)
out=$(QT_QPA_PLATFORM=offscreen timeout 60 "$prefix/bin/lumora" --version) || fail "lumora --version exits with $?"
[ "$out" = "Lumora Zud's $version" ] || fail "lumora --version says '$out'"
"$prefix/bin/lumora-cli" sample --sensor mss --size 64x48 --seed 3 -o "$stage/try/scene.inf" ||
  fail "the installed lumora-cli could not make a sample"
[ -s "$stage/try/scene.b04" ] || fail "the sample has no band 4"
# The import commands run in a program of their own, found from the installed lumora-cli.
if [ -x "$build/bin/lumora-cli-import" ]; then
  out=$(LANG=en_US.UTF-8 "$prefix/bin/lumora-cli" import "$stage/try/scene.b04" -o "$stage/try/in.inf" 2>&1)
  [ $? -eq 1 ] && grep -q "cannot be read as an image file" <<<"$out" ||
    fail "the installed lumora-cli does not hand import over: '$out'"
fi

# Data in share/lumora; samples only when the build made them.
data=$prefix/share/lumora
for page in ja/contents.html ja/using.html en/contents.html en/using.html; do
  [ -s "$data/help/$page" ] || fail "help page $page is not installed"
done
[ -s "$data/translations/lumora_en.qm" ] || fail "the English texts are not installed"
if [ -d "$build/bin/samples" ]; then
  for s in $(cd "$build/bin/samples" && find . -name '*.inf'); do
    [ -s "$data/samples/$s" ] || fail "sample $s is not installed"
  done
fi

# Menu entry, metainfo and icons as desktops and software centres read them.
desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $id.desktop"
appstreamcli validate --no-net --pedantic "$metainfo" || fail "appstreamcli rejects the metainfo"
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo has no release $version"
grep -q '<content_rating type="oars-1.1"' "$metainfo" || fail "the metainfo has no content rating"
grep -q '<screenshot type="default">' "$metainfo" || fail "the metainfo names no screenshot"
[ -s "$prefix/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "no scalable icon"
for size in 16 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$id.png
  # Width and height are the big-endian words at bytes 16 and 20 of a PNG.
  dims=$(od -An -tu1 -j16 -N8 "$png" 2>/dev/null | tr -s ' ')
  want=" 0 0 $((size >> 8)) $((size & 255)) 0 0 $((size >> 8)) $((size & 255))"
  [ "$dims" = "$want" ] || fail "icon $png is not ${size}x${size} ($dims)"
done

# A prefix that cannot be written stops the install with the system's reason.
: >"$stage/file"
if cmake --install "$build" --prefix "$stage/file/usr" >"$stage/bad.log" 2>&1; then
  fail "installing below a file succeeded"
# CMake folds long messages over lines.
elif ! tr -s ' \n' '  ' <"$stage/bad.log" | grep -q "$stage/file.*: Not a directory"; then
  cat "$stage/bad.log"
  fail "the failed install does not say why"
fi

[ $failures -eq 0 ] && echo "install checks passed"
exit $((failures > 0))
