#!/bin/sh
# A run split by a launcher leaves the same result rows as one run of tsm-batch over all
# the selected plots of the demo database.
#   split_run_test.sh mpi TSM_BATCH TSM_MPI        mpirun -np 2 of the MPI launcher
#   split_run_test.sh slurm TSM_BATCH SCRIPT       the Slurm script's steps, run by this
#                                                  shell with the array task id set, and
#                                                  its submission through a stand-in sbatch
set -eu
launcher=$1
batch=$2
program=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
export TSM_SETTINGS="$work/settings.ini" ODBCINI="$work/odbc.ini"

"$batch" new split.db --demo >/dev/null
cp split.db single.db
"$batch" DB=single.db go >single.log

case "$launcher" in
mpi)
    # Open MPI refuses root unless told; a 2-core machine may have fewer slots than ranks.
    export OMPI_MCA_rmaps_base_oversubscribe=1
    as_root=""
    [ "$(id -u)" = 0 ] && as_root=--allow-run-as-root
    mpirun $as_root -np 2 "$program" DB=split.db --shard-dir "$work" >run.log 2>&1 ||
        { cat run.log; exit 1; }
    [ ! -e split.db.shard-1-of-2.db ] # merged shards are removed
    ;;
slurm)
    export TSM_BATCH="$batch" SHARD_DIR="$work/shards" TMPDIR="$work"
    for task in 2 1 3; do
        SLURM_ARRAY_TASK_ID=$task sh "$program" task split.db 3 >>run.log 2>&1 ||
            { cat run.log; exit 1; }
    done
    sh "$program" merge split.db 3 >>run.log 2>&1 || { cat run.log; exit 1; }
    [ ! -e shards ] # merged shards are removed
    # Submission: the array of 3 tasks, and the merge waiting for all of them.
    mkdir bin
    printf '#!/bin/sh\necho "$*" >>"%s/sbatch.log"\necho 4711\n' "$work" >bin/sbatch
    chmod +x bin/sbatch
    PATH="$work/bin:$PATH" sh "$program" submit split.db 3 ERR_P >/dev/null
    grep -q -- "--array=1-3 .* task split.db 3 ERR_P" sbatch.log
    grep -q -- "--dependency=afterok:4711 .* merge split.db 3" sbatch.log
    ;;
esac
grep -q "merge of [0-9]* shards" run.log

for table in sim_result tsm_nresult tsm_zbv tsm_driver; do
    for db in single split; do
        printf 'select * from %s order by rowid\n' "$table" | "$batch" sql "$db.db" - >"$db.$table"
    done
    cmp "single.$table" "split.$table"
    [ "$(wc -l <"single.$table")" -gt 1 ]
done
echo "the split run equals the single run"
