#!/usr/bin/env bash
# Fails when a source file includes a project header from a layer that is not
# below its own: mb -> fp -> complex -> input -> roots -> app; special and radix beside.
# A layer's public header is include/korvel/<layer>.h, included as <korvel/<layer>.h>
# and counted with the layer; private headers are included as "<layer>/name.h".
# <korvel/export.h> belongs to no layer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
declare -A allowed=(
  [mb]="mb"
  [fp]="mb fp"
  [complex]="mb fp complex"
  [input]="mb fp complex input"
  [roots]="mb fp complex input roots"
  [special]="mb fp complex special"
  [radix]="radix"
  [app]="mb fp complex input roots special radix app"
)
status=0
for layer in "${!allowed[@]}"; do
  sources=()
  [ -d "$root/$layer" ] && sources+=("$root/$layer")
  [ -f "$root/include/korvel/$layer.h" ] && sources+=("$root/include/korvel/$layer.h")
  [ "${#sources[@]}" -gt 0 ] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    target=$(sed -E 's/.*#include ("([a-z]+)\/|<korvel\/([a-z]+)\.h>).*/\2\3/' <<<"$line")
    [ "$target" = export ] && continue
    if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
      echo "layering: ${file#"$root"/} includes a header of '$target', which is not below '$layer'"
      status=1
    fi
  done < <(grep -rnHE '#include ("[a-z]+/|<korvel/[a-z]+\.h>)' "${sources[@]}" --include='*.h' --include='*.cpp' || true)
done
exit $status
