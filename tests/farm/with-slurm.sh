#!/bin/sh
# Runs a command against a Slurm cluster of this one machine that lives only
# for the command: munged, slurmctld and slurmd with a private configuration,
# state, spool, logs and PID files in a temporary folder. The daemons it
# started, and only those, are stopped by their PIDs when the command ends,
# also when it fails. The command finds the cluster through SLURM_CONF.
#   with-slurm.sh COMMAND [ARGUMENT...]
set -eu

cluster=$(mktemp -d "${TMPDIR:-/tmp}/tessaform-slurm.XXXXXX")
started=""
stop_cluster() {
    for pid in $started; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in $started; do
        # Each was started by this shell, so wait reaps exactly it.
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$cluster"
}
trap stop_cluster EXIT
trap 'exit 130' INT TERM

fail() {
    echo "with-slurm: $*" >&2
    for log in "$cluster"/*.log; do
        [ -f "$log" ] && { echo "--- $log" >&2; tail -n 20 "$log" >&2; }
    done
    exit 1
}

# Two ports no other process listens on.
free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

host=$(hostname -s)
controller_port=$(free_port)
node_port=$(free_port)
[ "$controller_port" != "$node_port" ] || node_port=$(free_port)
mkdir "$cluster/state" "$cluster/spool"
dd if=/dev/urandom of="$cluster/munge.key" bs=1024 count=1 2>/dev/null
chmod 400 "$cluster/munge.key"

cat >"$cluster/slurm.conf" <<CONF
ClusterName=tessaform
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$controller_port
SlurmdPort=$node_port
SlurmUser=$(id -un)
SlurmdUser=$(id -un)
AuthType=auth/munge
AuthInfo=socket=$cluster/munge.socket
CredType=cred/munge
StateSaveLocation=$cluster/state
SlurmdSpoolDir=$cluster/spool
SlurmctldPidFile=$cluster/slurmctld.pid
SlurmdPidFile=$cluster/slurmd.pid
SlurmctldLogFile=$cluster/slurmctld.log
SlurmdLogFile=$cluster/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobCompType=jobcomp/none
AccountingStorageType=accounting_storage/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MpiDefault=none
NodeName=$host NodeAddr=127.0.0.1 CPUs=$(nproc) RealMemory=1000 State=UNKNOWN
PartitionName=farm Nodes=ALL Default=YES MaxTime=INFINITE State=UP
CONF
export SLURM_CONF="$cluster/slurm.conf"

munged --foreground --force --key-file="$cluster/munge.key" --socket="$cluster/munge.socket" \
    --pid-file="$cluster/munged.pid" --log-file="$cluster/munged.log" --seed-file="$cluster/munge.seed" \
    >/dev/null 2>&1 &
started="$started $!"
for _ in $(seq 50); do [ -S "$cluster/munge.socket" ] && break; sleep 0.1; done
[ -S "$cluster/munge.socket" ] || fail "munged did not start"

slurmctld -D -f "$SLURM_CONF" >"$cluster/slurmctld.out" 2>&1 &
started="$started $!"
slurmd -D -f "$SLURM_CONF" >"$cluster/slurmd.out" 2>&1 &
started="$started $!"

# Up when the node takes jobs.
for _ in $(seq 100); do
    sinfo --noheader --states=idle 2>/dev/null | grep -q . && break
    sleep 0.2
done
sinfo --noheader --states=idle 2>/dev/null | grep -q . || fail "the node did not come up"

status=0
"$@" || status=$?
[ "$status" -eq 0 ] || fail "the command failed with status $status"
