#!/bin/sh
# A TSM run split over the tasks of a Slurm job array, then merged by a dependent job.
#
#   tools/slurm_split_run.sh submit DATABASE K [PARAMETER ...]
#       submits the array job of K tasks and the merge job that waits for all of them
#   tools/slurm_split_run.sh task DATABASE K [PARAMETER ...]
#       one array task (shard $SLURM_ARRAY_TASK_ID of K): copies the database to the
#       node's local disk, runs its shard there and copies the shard file back
#   tools/slurm_split_run.sh merge DATABASE K
#       merges the K shard files into DATABASE (tsm-batch merge) and removes them
#
# Environment: TSM_BATCH the console program (default: tsm-batch beside this script's
# build/bin, else on PATH); SHARD_DIR the shared folder of the shard files (default:
# DATABASE.shards beside the database); the node-local folder is $SLURM_TMPDIR, else
# $TMPDIR, else /tmp. Extra sbatch options for both jobs: SBATCH_OPTIONS.
set -eu

usage() {
    echo "usage: $0 submit|task DATABASE K [PARAMETER ...] | merge DATABASE K" >&2
    exit 2
}

[ $# -ge 3 ] || usage
step=$1
db=$2
k=$3
shift 3
case "$k" in '' | *[!0-9]*) usage ;; esac
[ "$k" -ge 1 ] || usage

here=$(cd "$(dirname "$0")" && pwd)
if [ -z "${TSM_BATCH:-}" ]; then
    TSM_BATCH=tsm-batch
    [ -x "$here/../build/bin/tsm-batch" ] && TSM_BATCH="$here/../build/bin/tsm-batch"
fi
shards=${SHARD_DIR:-$db.shards}

shard_file() {
    echo "$shards/shard-$1-of-$k.db"
}

case "$step" in
submit)
    mkdir -p "$shards"
    # shellcheck disable=SC2086 # the options are words on purpose
    array=$(sbatch --parsable ${SBATCH_OPTIONS:-} --array="1-$k" --job-name=tsm-shards \
        --export=ALL "$here/slurm_split_run.sh" task "$db" "$k" "$@")
    array=${array%%;*}
    # shellcheck disable=SC2086
    sbatch --parsable ${SBATCH_OPTIONS:-} --dependency="afterok:$array" --job-name=tsm-merge \
        --export=ALL "$here/slurm_split_run.sh" merge "$db" "$k"
    ;;
task)
    i=${SLURM_ARRAY_TASK_ID:?"task runs in a Slurm array task (SLURM_ARRAY_TASK_ID)"}
    local_dir=$(mktemp -d "${SLURM_TMPDIR:-${TMPDIR:-/tmp}}/tsm-shard.XXXXXX")
    trap 'rm -rf "$local_dir"' EXIT
    # The database with its write-ahead log, so that the copy holds every committed change.
    cp "$db" "$local_dir/input.db"
    [ ! -f "$db-wal" ] || cp "$db-wal" "$local_dir/input.db-wal"
    TMPDIR=$local_dir "$TSM_BATCH" "DB=$local_dir/input.db" go "$@" \
        --shard "$i/$k" --out "$local_dir/shard.db"
    mkdir -p "$shards"
    cp "$local_dir/shard.db" "$(shard_file "$i").part"
    mv "$(shard_file "$i").part" "$(shard_file "$i")"
    ;;
merge)
    set --
    i=1
    while [ "$i" -le "$k" ]; do
        set -- "$@" "$(shard_file "$i")"
        i=$((i + 1))
    done
    "$TSM_BATCH" merge "$db" "$@"
    rm -f "$@"
    rmdir "$shards" 2>/dev/null || true
    ;;
*)
    usage
    ;;
esac
