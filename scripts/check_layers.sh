#!/usr/bin/env bash
# Fails when a source file includes a project header from a layer that is not
# below its own: mb -> fp -> complex -> input, roots -> app; special and radix beside.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
declare -A allowed=(
  [mb]="mb"
  [fp]="mb fp"
  [complex]="mb fp complex"
  [input]="mb fp complex input"
  [roots]="mb fp complex roots"
  [special]="mb fp complex special"
  [radix]="radix"
  [app]="mb fp complex input roots special radix app"
)
status=0
for layer in "${!allowed[@]}"; do
  [ -d "$root/$layer" ] || continue
  while IFS= read -r line; do
    file=${line%%:*}
    target=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$line")
    if [[ " ${allowed[$layer]} " != *" $target "* ]]; then
      echo "layering: ${file#$root/} includes a header of '$target', which is not below '$layer'"
      status=1
    fi
  done < <(grep -rnE '#include "[a-z]+/' "$root/$layer" --include='*.h' --include='*.cpp' || true)
done
exit $status
