#!/usr/bin/env bash
# slurm_test.sh KORVEL_CLI: examples/slurm/korvel-array.sh on a Slurm cluster of
# this one machine, for real. As root it starts munged, slurmctld and slurmd
# with a configuration written into a temporary folder (ports and files of its
# own, nothing under /etc touched), submits a batch file as an array, waits
# for the merge job and compares its output with one `korvel-cli --batch` run
# (the times aside). When Slurm is not installed, or not up within a minute,
# it says why it skipped and exits 0. Stops the daemons it started.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cli=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")

skip() {
  echo "slurm_test: SKIPPED, $*"
  exit 0
}
fail() {
  echo "slurm_test: FAIL, $*"
  for log in "$work"/*.log; do
    echo "--- $log"
    tail -n 15 "$log"
  done
  exit 1
}

[ "$(id -u)" -eq 0 ] || skip "the daemons need root"
for program in munged slurmctld slurmd sbatch squeue sinfo scontrol jq python3; do
  command -v "$program" >/dev/null || skip "$program is not installed (scripts/setup.sh installs slurm-wlm, munge and jq)"
done

work=$(mktemp -d /tmp/korvel-slurm.XXXXXX)
chmod 755 "$work"
pids=()
names=()
start() {  # start NAME ARGS...: a daemon in the foreground of its own, logging to $work/NAME.log
  local name=$1
  shift
  "$name" "$@" 2>>"$work/$name.log" &
  pids+=($!)
  names+=("$name")
}
stop() {
  # Only the daemons started here, by their process ids.
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap stop EXIT

# Two free TCP ports on the loopback, one for each Slurm daemon.
read -r ctld_port slurmd_port < <(python3 -c 'import socket
a, b = socket.socket(), socket.socket()
a.bind(("127.0.0.1", 0)); b.bind(("127.0.0.1", 0))
print(a.getsockname()[1], b.getsockname()[1])')

mkdir -p "$work/munge" "$work/state" "$work/spool" "$work/jobs"
chmod 711 "$work/munge"
head -c 1024 /dev/urandom >"$work/munge/munge.key"
chmod 400 "$work/munge/munge.key"
start munged --foreground --force --key-file="$work/munge/munge.key" --socket="$work/munge/socket" \
  --pid-file="$work/munge/munged.pid" --seed-file="$work/munge/seed" --log-file="$work/munged.log"

node=korvel-node
cat >"$work/slurm.conf" <<EOF
ClusterName=korveltest
SlurmctldHost=localhost(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge/socket
CredType=cred/munge
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
MpiDefault=none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
ReturnToService=2
NodeName=$node NodeHostname=$(hostname) NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=batch Nodes=$node Default=YES MaxTime=INFINITE State=UP
EOF
export SLURM_CONF=$work/slurm.conf
start slurmctld -D -i -f "$SLURM_CONF"
start slurmd -D -N "$node" -f "$SLURM_CONF"

started=$SECONDS
until [ "$(sinfo -h -N -o %t 2>/dev/null)" = idle ]; do
  dead=""
  for i in "${!pids[@]}"; do
    kill -0 "${pids[i]}" 2>/dev/null || dead+=" ${names[i]}"
  done
  if ((SECONDS - started >= 60)) || [ -n "$dead" ]; then
    echo "slurm_test: Slurm did not come up${dead:+ (stopped:$dead)}; the daemons' last words:"
    tail -n 5 "$work"/*.log
    skip "no single-node Slurm on this machine"
  fi
  sleep 1
done
echo "slurm_test: Slurm up in $((SECONDS - started)) s"

# Polynomials, an empty line and one that cannot be read, over 5 tasks (the last short).
for i in $(seq 1 230); do
  case $i in
    50) echo ;;
    120) echo 'x^2+(1,' ;;
    *) echo "x^$((3 + i % 7))-$i" ;;
  esac
done >"$work/jobs/polys.txt"
"$cli" --batch "$work/jobs/polys.txt" >"$work/jobs/whole.jsonl"
[ $? -eq 1 ] || fail "one --batch run did not end with status 1 (a line that cannot be read)"

cd "$work/jobs" || exit 1
KORVEL_CLI=$cli bash "$root/examples/slurm/korvel-array.sh" polys.txt roots.jsonl 50 ||
  fail "korvel-array.sh did not submit"
started=$SECONDS
while [ -n "$(squeue -h -o %i)" ]; do
  ((SECONDS - started < 90)) || fail "the jobs did not finish within 90 s: $(squeue)"
  sleep 1
done
echo "slurm_test: the array and the merge ran in $((SECONDS - started)) s"
merge_state=$(scontrol show job --oneliner | grep 'JobName=korvel-merge' | grep -o 'ExitCode=[0-9:]*')
[ "$merge_state" = ExitCode=1:0 ] || fail "the merge job ended with $merge_state, not 1 (a line failed)"
[ -f roots.jsonl ] || fail "the merge wrote no roots.jsonl"
cmp -s <(jq -c 'del(.seconds)' whole.jsonl) <(jq -c 'del(.seconds)' roots.jsonl) ||
  fail "the merged output differs from one --batch run: $(diff <(jq -c 'del(.seconds)' whole.jsonl) \
    <(jq -c 'del(.seconds)' roots.jsonl) | head -4 | cut -c1-200)"
echo "slurm_test: the array's merged output is one --batch run's"
echo "1 passed, 0 failed"
