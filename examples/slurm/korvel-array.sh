#!/usr/bin/env bash
#SBATCH --job-name=korvel
#SBATCH --cpus-per-task=1
# korvel-array.sh: a batch file of polynomials as a Slurm job array.
#
#   korvel-array.sh FILE OUT [LINES_PER_TASK [KORVEL_CLI_OPTION...]]
#
# Run on a login node, it submits itself twice: an array with one task per
# LINES_PER_TASK lines of FILE (10000 by default), task i running
#   korvel-cli --batch FILE --from i*LINES_PER_TASK+1 --count LINES_PER_TASK
# into OUT.parts/task-<i>.jsonl, and after it a merge job that joins the parts
# in index order into OUT, the same JSON lines as one `korvel-cli --batch FILE`
# (the "seconds" members aside). FILE must be readable from every node, and OUT
# writable: a shared file system.
#
# A task exits as korvel-cli does (1 when one of its lines failed: its documents
# are written all the same); the merge job runs after every task has ended and
# exits 0 when every line succeeded, 1 when some failed, 2 when a task left no
# part (its log is in OUT.parts/). sbatch takes further options from its
# environment: SBATCH_PARTITION, SBATCH_TIMELIMIT, and SBATCH_CPUS_PER_TASK=4
# for tasks of 4 CPUs that each run korvel-cli --jobs 4. KORVEL_CLI names the
# program (korvel-cli on the PATH by default).
set -euo pipefail
cli=${KORVEL_CLI:-korvel-cli}

part_name() {  # part_name OUT INDEX
  printf '%s.parts/task-%06d.jsonl' "$1" "$2"
}

if [ "${1:-}" = --merge ]; then
  out=$2 tasks=$3
  for ((i = 0; i < tasks; i++)); do
    [ -f "$(part_name "$out" "$i")" ] || { echo "korvel-array: task $i left no part; $out not written" >&2; exit 2; }
  done
  for ((i = 0; i < tasks; i++)); do
    cat "$(part_name "$out" "$i")"
  done >"$out.partial"
  mv "$out.partial" "$out"
  for ((i = 0; i < tasks; i++)); do
    rm "$(part_name "$out" "$i")"
  done
  failed=$(grep -c '^{"line":[0-9]*,"error":' "$out" || true)
  echo "korvel-array: $(wc -l <"$out") documents in $out, $failed of them failed lines"
  [ "$failed" -eq 0 ] || exit 1
  exit 0
fi

[ $# -ge 2 ] || { echo "usage: korvel-array.sh FILE OUT [LINES_PER_TASK [KORVEL_CLI_OPTION...]]" >&2; exit 2; }
file=$(realpath "$1") out=$(realpath "$2") per=${3:-10000}
shift $(($# < 3 ? $# : 3))

if [ -n "${SLURM_ARRAY_TASK_ID:-}" ]; then
  part=$(part_name "$out" "$SLURM_ARRAY_TASK_ID")
  status=0
  "$cli" --batch "$file" --from $((SLURM_ARRAY_TASK_ID * per + 1)) --count "$per" \
    --jobs "${SLURM_CPUS_PER_TASK:-1}" "$@" >"$part.partial" || status=$?
  # Status 1 is a line that failed, written as such: the part is whole.
  [ "$status" -le 1 ] && mv "$part.partial" "$part"
  exit "$status"
fi

lines=$(awk 'END { print NR }' "$file")
tasks=$(((lines + per - 1) / per))
[ "$tasks" -ge 1 ] || { echo "korvel-array: $file is empty" >&2; exit 2; }
mkdir -p "$out.parts"
self=$(realpath "$0")
array=$(sbatch --parsable --array=0-$((tasks - 1)) --output="$out.parts/slurm-%A_%a.out" \
  "$self" "$file" "$out" "$per" "$@")
array=${array%%;*}
merge=$(sbatch --parsable --job-name=korvel-merge --dependency=afterany:"$array" \
  --output="$out.parts/slurm-%j-merge.out" "$self" --merge "$out" "$tasks")
echo "korvel-array: array job $array ($tasks tasks of $per lines), merge job ${merge%%;*} writes $out"
