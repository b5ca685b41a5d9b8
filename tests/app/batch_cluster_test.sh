#!/usr/bin/env bash
# batch_cluster_test.sh KORVEL_CLI [LINES [PER_TASK]]: the README's GNU parallel recipes,
# run here without --sshlogin, give what one `korvel-cli --batch` run gives
# (the times aside): by line ranges of a file, and by chunks of a stream, each
# numbering its lines from where it starts. Needs parallel and jq.
set -uo pipefail
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
lines=${2:-2600}
per=${3:-1000}
# The recipes call korvel-cli by name, as the README writes them.
PATH=$(dirname "$cli"):$PATH
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
passed=0
failed=0

check() {  # check NAME: compares $work/NAME.jsonl with the whole run, without the times
  if cmp -s <(jq -c 'del(.seconds)' whole.jsonl) <(jq -c 'del(.seconds)' "$1.jsonl"); then
    passed=$((passed + 1))
  else
    echo "FAIL $1: differs from one --batch run; first difference:"
    diff <(jq -c 'del(.seconds)' whole.jsonl) <(jq -c 'del(.seconds)' "$1.jsonl") | head -4 | cut -c1-200
    failed=$((failed + 1))
  fi
}

# Polynomials of degree 3 to 11 with small integer coefficients, some lines
# empty, some JSON objects, some that cannot be read; chunks end mid-way.
awk -v lines="$lines" 'BEGIN {
  seed = 12345
  for (i = 1; i <= lines; i++) {
    if (i % 97 == 0) { print ""; continue }
    if (i % 499 == 0) { print "x^2+(1,"; continue }
    if (i % 250 == 3) { print "{\"coefficients\":[{\"re\":\"1\",\"im\":\"0\"},{\"re\":\"0\",\"im\":\"" i "\"},{\"re\":\"1\",\"im\":\"0\"}]}"; continue }
    degree = 3 + i % 9; text = ""
    for (d = degree; d >= 0; d--) {
      seed = (seed * 1103515245 + 12345) % 2147483648
      c = int(seed / 65536) % 19 - 9
      if (c == 0 && (d == degree || d == 0)) c = 1
      if (c == 0) continue
      text = text (c < 0 ? "-" : "+") (c < 0 ? -c : c) (d > 1 ? "x^" d : d == 1 ? "x" : "")
    }
    print substr(text, 1, 1) == "+" ? substr(text, 2) : text
  }
}' >polys.txt

korvel-cli --batch polys.txt >whole.jsonl
whole_status=$?
if [ "$whole_status" -ne 1 ] || ! grep -q '"error"' whole.jsonl ||
   [ "$(wc -l <whole.jsonl)" -ne "$(grep -c . polys.txt)" ]; then
  echo "FAIL whole run: status $whole_status (1 expected: some lines cannot be read), $(wc -l <whole.jsonl) documents"
  failed=$((failed + 1))
fi

# A file, by line ranges: every task reads the file and searches its own lines.
n=$(awk 'END { print NR }' polys.txt)
seq 1 "$per" "$n" | parallel --keep-order korvel-cli --batch polys.txt --jobs 1 --from {} --count "$per" >ranges.jsonl
ranges_status=$?
check ranges
# parallel's status counts the tasks that failed: some, as the whole run failed.
[ "$ranges_status" -ge 1 ] && [ "$ranges_status" -le 100 ] ||
  { echo "FAIL ranges: parallel's status $ranges_status"; failed=$((failed + 1)); }

# A stream, in chunks of $per lines: chunk {#} (from 1) numbers its lines from
# the one it starts at in the stream.
parallel --pipe --keep-order -N "$per" korvel-cli --batch --jobs 1 --first-line '$(( ({#} - 1) * '"$per"' + 1 ))' \
  <polys.txt >chunks.jsonl
check chunks

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
