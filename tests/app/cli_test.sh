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
check "unknown option" 2 "" "Usage: korvel-cli" -- --frobnicate
check "bad number" 2 "" "Usage: korvel-cli" -- --shown ten -e 'x'
check "two inputs" 2 "" "Usage: korvel-cli" -- -e 'x' "$examples/quadratic.txt"
check "help" 0 "Usage: korvel-cli" "" -- --help
check "version" 0 "korvel-cli " "" -- --version
check "zero leading coefficient" 0 "2 , 0" "" -- -e '0x^3+x-2'
check "cap" 1 "" "There was a computation problem!" -- --full-precision -e 'x^3-1e400x^2+2e200x-1'
check "two roots 1e-500 apart beside 1e400" 0 "1e-200 , 0" "time: " -- -e 'x^3-1e400x^2+2e200x-1'
check "ignored text" 0 "Polynomial(root):" "Ignored: .5" -- -e 'x^2.5-1'
check "read as" 0 "" "Read as: x^2 - 1 (degree 2)" -- -e 'x^2.5-1'
check "overflowing fraction" 1 "" "There was an entry problem!" -- -e 'x^2-1e646456993/1e-646456993'
check "directory" 1 "" "it is a directory" -- "$work"
check "certified multiple root" 0 "1 , 0" "" -- --carried 32 -e 'x^5-2x^4-2x^3+8x^2-7x+2'
check "no certify" 0 "1 , 0" "" -- --no-certify --carried 32 -e 'x^5-2x^4-2x^3+8x^2-7x+2'
check "radii" 0 "Error bound:" "" -- --radii -e 'x^2-2'
check "uncertain warning" 0 "Polynomial(root):" "root 12 (1 , 0): " -- --shown 16 --carried 16 \
  -e 'x^12-12x^11+66x^10-220x^9+495x^8-792x^7+924x^6-792x^5+495x^4-220x^3+66x^2-12x+(1,1e-180)'
check "json" 0 '"carriedUsed": 64' "" -- --json -e 'x^2-2'
check "json error" 1 '"error": "There was an entry problem!"' "" -- --json -e '7'
printf '1\r\n0\r\n-1\r\n' >"$work/crlf.txt"
check "CR LF lines" 0 "-1 , 0" "" -- "$work/crlf.txt"

# Standard input, and nothing on stdout after a failure.
printf '3\n0\n-1\n' | "$cli" >"$work/out" 2>/dev/null && grep -qF "0.5773502691896258 , 0" "$work/out" \
  && passed=$((passed + 1)) || { echo "FAIL stdin"; failed=$((failed + 1)); }
"$cli" -e '' >"$work/out" 2>/dev/null
[ $? -eq 1 ] && [ ! -s "$work/out" ] && passed=$((passed + 1)) || { echo "FAIL empty stdout on failure"; failed=$((failed + 1)); }

# Input beyond 64 MiB is refused with a message, not read until memory runs out.
head -c 70000000 /dev/zero | "$cli" >"$work/out" 2>"$work/err"
[ $? -eq 1 ] && grep -qF "larger than 64 MiB" "$work/err" && passed=$((passed + 1)) ||
  { echo "FAIL oversized input"; failed=$((failed + 1)); }

# Ctrl-C in a search of seconds ends it cleanly ("Cancelled", status 130),
# nothing on standard output, and no progress line on standard error, which is
# a file.
for k in $(seq 0 100); do echo $((k % 7 + 1)); done >"$work/long.txt"
"$cli" --full-precision --carried 1000 "$work/long.txt" >"$work/out" 2>"$work/err" </dev/null &
pid=$!
# Once SIGINT is caught (its bit in the mask of caught signals), and a second
# more, past the point where a terminal would show progress.
for _ in $(seq 100); do
  caught=$(awk '/^SigCgt/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
  [ -n "$caught" ] && (( 0x$caught & 2 )) && break
  sleep 0.1
done
sleep 1.5
kill -INT "$pid"
wait "$pid"
status=$?
[ "$status" -eq 130 ] && [ ! -s "$work/out" ] && grep -qx "Cancelled" "$work/err" && ! grep -q "roots found" "$work/err" &&
  ! grep -q $'\r' "$work/err" &&
  passed=$((passed + 1)) || { echo "FAIL interrupt: status $status; stderr: $(head -c 200 "$work/err")"; failed=$((failed + 1)); }
check "echo" 0 "" "Read as: x^2 + i (degree 2)" -- --echo -e 'x^2-(0,1)'
check "echo with ignored text" 0 "" "Ignored: .5" -- --echo -e 'x^2.5-1'
[ "$(grep -c '^Read as: ' "$work/err")" -eq 1 ] && passed=$((passed + 1)) ||
  { echo "FAIL echo says Read as once"; failed=$((failed + 1)); }
# A coefficient below the exponent's range is an entry problem, not a zero.
check "underflowing coefficient" 1 "" "There was an entry problem!" -- -e 'x-1e-646456994'

# A NUL byte is an entry problem that names its line, in either form.
printf '1\n0\0001\n-4\n' >"$work/nul.txt"
check "NUL in a list" 1 "" "NUL byte (line 2, column 2)" -- "$work/nul.txt"
printf 'x^2-4\0003x+1' >"$work/nul.txt"
check "NUL in x-notation" 1 "" "NUL byte (line 1, column 6)" -- "$work/nul.txt"
# The polynomial as read is always said, for a list too; joined digits and
# stray parentheses are named.
printf '1\n0\n-2\n\n' >"$work/empty-last.txt"
check "read as, list" 0 "" "Read as: x^3 - 2x + 1 (degree 3)" -- "$work/empty-last.txt"
check "joined digits" 0 "" "Ignored: blank between 4 and 3" -- -e 'x^2-4 3x+1'
check "stray parentheses" 0 "" "Ignored: )))" -- -e 'x^2-2)))'
# A parenthesised complex coefficient after a sign.
check "(-2,1) after +" 0 "" "Read as: x^2 + (-2,1)x + 1 (degree 2)" -- -e 'x^2+(-2,1)x+1'
check "(-2,0) after +" 0 "2 , 0" "" -- -e 'x+(-2,0)'
# Output that cannot be written is a failure.
for args in "-e x^2-2" "--json -e x^2-2" "--json -e 7" "--help"; do
  # shellcheck disable=SC2086
  "$cli" $args >/dev/full 2>"$work/err"
  [ $? -eq 1 ] && grep -qF "cannot write the output: No space left on device" "$work/err" && passed=$((passed + 1)) ||
    { echo "FAIL full disk ($args)"; failed=$((failed + 1)); }
done
"$cli" -e 'x^2-2' >&- 2>"$work/err"
[ $? -eq 1 ] && grep -qF "cannot write the output" "$work/err" && passed=$((passed + 1)) ||
  { echo "FAIL closed standard output"; failed=$((failed + 1)); }
# A reader that leaves early ends the program (SIGPIPE, or status 1), never hangs it.
"$cli" --shown 1000 --carried 1000 -e 'x^200-2' 2>/dev/null | head -c 1 >/dev/null
status=${PIPESTATUS[0]}
[ "$status" -eq 141 ] || [ "$status" -eq 1 ] || [ "$status" -eq 0 ] && passed=$((passed + 1)) ||
  { echo "FAIL closed pipe: status $status"; failed=$((failed + 1)); }
# Precision values beyond an int are usage errors that say so.
check "shown too large" 2 "" "korvel-cli: --shown: 2147483648 is too large" -- --shown 2147483648 -e 'x-1'
check "carried too large" 2 "" "korvel-cli: --carried: 99999999999999999999 is too large" -- --carried=99999999999999999999 -e 'x-1'
check "shown not a number" 2 "" "korvel-cli: --shown: ten is not a whole number" -- --shown ten -e 'x-1'
# Coefficients at the bottom of the range: one that would keep fewer words than
# the precision is refused, and named; one that keeps them all gives exact roots.
check "coefficient losing its words" 1 "" "a number beyond the range of the working precision: 3e-646456990" -- \
  -e '3e-646456990x^2-1e-646456990'
check "coefficient near the bottom" 0 "1e323228450 , 0" "" -- -e '1e-646456900x^2-1'
# A near-cluster off the axis and real noise in a complex cubic: every part right.
check "complex near-cluster" 0 "1 , 1e-30" "" -- --shown 32 --carried 40 -e 'x^2-(2,-1e-30)x+(1,1e-30)'
printf '1\n0.65,-0.2\n-0.7,-0.15\n0.0625,0.125\n' >"$work/cubic.txt"
check "real root of a complex cubic" 0 "0.5 , 0" "" -- --shown 256 --carried 272 "$work/cubic.txt"
# An equation p = 0 is read as p, and says so; any other right side is refused.
check "equation = 0" 0 "1 , 0" "Ignored: = 0" -- -e 'x^3 - 2x + 1 = 0'
check "equation = 4" 1 "" "an equation whose right side is not 0" -- -e 'x^2 = 4'

# A batch: one JSON line per polynomial, status 1 when one failed, a picture of
# the roots; its options need --batch.
printf 'x^2-1\n\n7\nx^3-1\n' >"$work/batch.txt"
check "batch" 1 '{"line":4,' "lines: 3, failed: 1" -- --batch --jobs 2 "$work/batch.txt"
check "batch slice" 0 '{"line":4,' "lines: 1, failed: 0" -- --batch --from 4 --count 5 --shown 20 --carried 30 \
  --density "$work/d.png" --density-size 64x48 "$work/batch.txt"
file "$work/d.png" | grep -qF "PNG image data, 64 x 48" && passed=$((passed + 1)) || { echo "FAIL density picture"; failed=$((failed + 1)); }
check "batch precision" 1 "" "Cannot have internal precision less than external precision!" -- --batch --shown 9 --carried 8 "$work/batch.txt"
check "jobs without batch" 2 "" "--jobs needs --batch" -- --jobs 2 -e 'x-1'
check "bad density window" 2 "" "--density-window needs" -- --batch --density-window 1,0,0,1 "$work/batch.txt"
check "batch unwritable picture" 1 "" "cannot write $work/none/d.png" -- --batch --density "$work/none/d.png" "$work/batch.txt"

# Ctrl-C in a batch: status 130, "Cancelled", and what was written is whole
# lines, in order, from the first.
for k in $(seq 1 400); do echo "x^200-$k"; done >"$work/heavy.txt"
"$cli" --batch --jobs 2 --shown 1000 --carried 1000 "$work/heavy.txt" >"$work/out" 2>"$work/err" </dev/null &
pid=$!
sleep 2
kill -INT "$pid"
wait "$pid"
status=$?
written=$(wc -l <"$work/out")
[ "$status" -eq 130 ] && grep -qx "Cancelled" "$work/err" && [ "$written" -lt 400 ] &&
  [ "$(grep -o '^{"line":[0-9]*' "$work/out" | cut -d: -f2 | tr '\n' ' ')" = "$(seq 1 "$written" | tr '\n' ' ')" ] &&
  passed=$((passed + 1)) || { echo "FAIL batch interrupt: status $status, $written lines"; failed=$((failed + 1)); }

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
