#!/usr/bin/env bash
# korvel-cli end to end: success, each message with its status, usage errors.
# Prints one line per failed check and "N passed, N failed" at the end.
cli=$1
examples=$2
passed=0
failed=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check() {  # check NAME EXPECTED_STATUS EXPECTED_STDOUT_SUBSTRING EXPECTED_STDERR_SUBSTRING -- ARGS...
  local name=$1 status=$2 out=$3 err=$4
  shift 5
  "$cli" "$@" >"$work/out" 2>"$work/err" </dev/null
  local got=$?
  if [ "$got" -ne "$status" ] || { [ -n "$out" ] && ! grep -qF -- "$out" "$work/out"; } ||
     { [ -n "$err" ] && ! grep -qF -- "$err" "$work/err"; }; then
    echo "FAIL $name: status $got; stdout: $(head -c 200 "$work/out"); stderr: $(head -c 200 "$work/err")"
    failed=$((failed + 1))
  else
    passed=$((passed + 1))
  fi
}

check "expression" 0 "Polynomial(root):" "time: " -- -e '3x^2-1'
check "file" 0 "0.6291592726869649 , -0.7207322430549381" "time: " -- "$examples/quadratic.txt"
check "options" 0 "0.57735026918962576450914878050195746 , 0" "" -- --shown 35 --carried=40 -e '3x^2-1'
check "no clean-up" 0 "Polynomial(root):" "" -- --no-cleanup -e 'x^2+1'
check "full precision" 0 "1.414213562373095 , 0" "" -- --full-precision -e 'x^2-2'
check "precision message" 1 "" "Cannot have internal precision less than external precision!" -- --shown 20 --carried 10 -e 'x-1'
check "entry message" 1 "" "There was an entry problem!" -- -e '7'
check "missing file" 1 "" "cannot read" -- "$work/none.txt"
check "unknown option" 2 "" "usage: korvel-cli" -- --frobnicate
check "bad number" 2 "" "usage: korvel-cli" -- --shown ten -e 'x'
check "two inputs" 2 "" "usage: korvel-cli" -- -e 'x' "$examples/quadratic.txt"
check "help" 0 "usage: korvel-cli" "" -- --help
check "version" 0 "korvel-cli " "" -- --version

# Standard input, and nothing on stdout after a failure.
printf '3\n0\n-1\n' | "$cli" >"$work/out" 2>/dev/null && grep -qF "0.5773502691896258 , 0" "$work/out" \
  && passed=$((passed + 1)) || { echo "FAIL stdin"; failed=$((failed + 1)); }
"$cli" -e '' >"$work/out" 2>/dev/null
[ $? -eq 1 ] && [ ! -s "$work/out" ] && passed=$((passed + 1)) || { echo "FAIL empty stdout on failure"; failed=$((failed + 1)); }

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
