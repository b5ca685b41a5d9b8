#!/usr/bin/env bash
# cli_golden.sh KORVEL_CLI [--record]: korvel-cli's default output on the cases
# of cli_golden/cases.txt, byte for byte as recorded in cli_golden/expected.txt
# (time lines and the JSON "seconds" left out). --record writes it anew.
set -euo pipefail
cli=$1
here=$(cd "$(dirname "$0")" && pwd)
actual=$(mktemp)
trap 'rm -f "$actual" "$actual.one"' EXIT
while IFS= read -r line; do
  [[ -z "$line" || "$line" == \#* ]] && continue
  args=${line%% | *}
  text=${line#* | }
  status=0
  # shellcheck disable=SC2086
  printf '%b' "$text" | "$cli" $args >"$actual.one" 2>&1 || status=$?
  {
    echo "== korvel-cli$args | $text"
    grep -v -E '^time: |"seconds": ' "$actual.one" || true
    echo "status $status"
  } >>"$actual"
done <"$here/cli_golden/cases.txt"
if [ "${2:-}" = --record ]; then
  cp "$actual" "$here/cli_golden/expected.txt"
  exit 0
fi
diff -u "$here/cli_golden/expected.txt" "$actual"
