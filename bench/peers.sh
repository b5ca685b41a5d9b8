#!/usr/bin/env bash
# bench/peers.sh [BUILD_DIR] [FILTER]: korvel-cli beside PARI/GP and MPSolve on
# the polynomials of korvel_bench_staged whose names contain FILTER, at 16, 64,
# 256 and 1000 figures shown (16 more carried, every shown figure certified),
# one job at a time. Prints a Markdown table of processor seconds with Korvel's
# time over the faster peer, then the geometric mean of those ratios at each
# precision over the polynomials without a repeated root.
#
# Korvel: the "seconds" of korvel-cli --json (the search's processor time) on
# one thread, best of three; each is a first call in its process, so the
# smallest polynomials carry that call's one-time set-up (korvel_bench_small
# gives the cost of a call in a running process). PARI/GP: polroots at
# realprecision D + 16 inside gp, repeated until 0.2 s have passed. MPSolve:
# mpsolve -Ga -oD -j1, the process's processor time in hundredths of a
# second, best of two, its start-up of a few milliseconds included. A peer
# that is not installed, or that runs past 60 s, is left out.
set -euo pipefail
build=${1:-build}
filter=${2:-}
cli=$build/bin/korvel-cli
for tool in "$cli" "$build/bin/korvel_bench_staged"; do
  [ -x "$tool" ] || { echo "peers.sh: $tool is not built" >&2; exit 1; }
done
command -v jq >/dev/null || { echo "peers.sh: jq is needed" >&2; exit 1; }
have_gp=$(command -v gp >/dev/null && echo 1 || echo 0)
have_mpsolve=$(command -v mpsolve >/dev/null && echo 1 || echo 0)
cases=$(mktemp -d)
trap 'rm -rf "$cases"' EXIT
"$build/bin/korvel_bench_staged" --write "$cases"

korvel() {  # FIGURES FILE: the best time, then the largest multiplicity found
  local best="" t out
  for _ in 1 2 3; do
    out=$(KORVEL_THREADS=1 timeout 600 "$cli" --shown "$1" --carried $(($1 + 16)) --json "$2" 2>/dev/null |
      jq -r '"\(.seconds // "") \([.roots[]?.multiplicity] | max // 1)"') || true
    t=${out% *}
    [ -n "$t" ] || { echo "- 1"; return; }
    if [ -z "$best" ] || awk "BEGIN { exit !($t < $best) }"; then best=$t; fi
    awk "BEGIN { exit !($t > 2) }" && break
  done
  echo "$best ${out#* }"
}

pari() {  # FIGURES FILE
  [ "$have_gp" = 1 ] || { echo "-"; return; }
  local t
  t=$(timeout 60 gp -q -f -s 1000000000 2>/dev/null <<GP | tr -d ' '
default(realprecision, $(($1 + 16))); P = $(cat "$2"); n = 1;
while (1, gettime(); for (i = 1, n, polroots(P)); t = gettime(); if (t >= 200, break); n *= 4);
print(t / n / 1000.)
GP
  ) || true
  [ -n "$t" ] && awk -v t="$t" 'BEGIN { printf "%.4g\n", t }' || echo "-"
}

mps() {  # FIGURES FILE
  [ "$have_mpsolve" = 1 ] || { echo "-"; return; }
  local best="" t
  for _ in 1 2; do
    /usr/bin/time -o "$cases/time" -f "%x %U %S" timeout 60 mpsolve -Ga -o"$1" -j1 "$2" >/dev/null 2>&1 || true
    t=$(awk 'NF == 3 && $1 == 0 { print $2 + $3 }' "$cases/time")
    [ -n "$t" ] || { echo "-"; return; }
    if [ -z "$best" ] || awk "BEGIN { exit !($t < $best) }"; then best=$t; fi
  done
  # The process's times come in hundredths of a second.
  awk -v t="$best" 'BEGIN { if (t > 0) print t; else print "<0.01" }'
}

ratios=$(mktemp)
trap 'rm -rf "$cases" "$ratios"' EXIT
echo "| polynomial | figures | Korvel s | PARI/GP s | MPSolve s | Korvel / best peer |"
echo "|---|---|---|---|---|---|"
for name_file in "$cases"/*.name; do
  base=${name_file%.name}
  name=$(cat "$name_file")
  [[ "$name" == *"$filter"* ]] || continue
  for figures in 16 64 256 1000; do
    read -r k multiplicity < <(korvel "$figures" "$base.txt")
    g=$(pari "$figures" "$base.gp")
    m=$(mps "$figures" "$base.pol")
    ratio=$(awk -v k="$k" -v g="$g" -v m="$m" 'BEGIN {
      number = "^[0-9.]+([eE][-+]?[0-9]+)?$"; best = -1
      if (g ~ number && g + 0 > 0) best = g + 0
      if (m ~ number && m + 0 > 0 && (best < 0 || m + 0 < best)) best = m + 0
      if (k !~ number || best < 0) print "-"; else printf "%.2f\n", k / best }')
    echo "| $name | $figures | $k | $g | $m | $ratio |"
    # A polynomial with a repeated root stays out of the means.
    [[ "$multiplicity" != 1 || "$ratio" == "-" ]] || echo "$figures $ratio" >>"$ratios"
  done
done
echo
awk '{ s[$1] += log($2); n[$1]++; if ($2 > worst[$1]) worst[$1] = $2 }
  END { for (f in n) printf "%s figures: geometric mean %.2f, largest %.2f, over %d polynomials\n", f, exp(s[f] / n[f]), worst[f], n[f] }' \
  "$ratios" | sort -n
