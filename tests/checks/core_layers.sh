#!/usr/bin/env bash
# Includes inside core/ point downward: support <- imagefile <- view <-
# radiometry / analysis / output / windows, and shell beside view (on
# imagefile). A folder may include only itself and the folders below it.
root=${1:-.}
declare -A allowed=(
  [support]="support"
  [imagefile]="support imagefile"
  [view]="support imagefile view"
  [shell]="support imagefile shell"
  [radiometry]="support imagefile view radiometry"
  [analysis]="support imagefile view analysis"
  [output]="support imagefile view output"
  [windows]="support imagefile view windows"
)
status=0
for dir in "$root"/core/*/; do
  layer=$(basename "$dir")
  if [ -z "${allowed[$layer]}" ]; then
    echo "core/$layer: a folder the layer check does not know"; status=1; continue
  fi
  while IFS= read -r hit; do
    target=$(sed -E 's|.*#include *"core/([a-z_]+)/.*|\1|' <<<"$hit")
    if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
      echo "upward include: ${hit#"$root"/}"; status=1
    fi
  done < <(grep -rnE '#include *"core/[a-z_]+/' "$dir")
done
[ $status -eq 0 ] && echo "core/ includes point downward"
exit $status
