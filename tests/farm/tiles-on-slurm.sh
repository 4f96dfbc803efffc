#!/bin/sh
# Inside with-slurm.sh: renders a still as a Slurm job array of tiles, one
# part file each, and assembles them in a job that waits for the array
# (--dependency=afterok); the image must equal a one-process render, byte
# for byte.
#   tiles-on-slurm.sh TESSAFORM_RENDER
set -eu
render=$1
. "$(dirname "$0")/job-folder.sh"

scene="-q -W 61 -H 45 --set power=3 --set angle=0.7"
"$render" $scene -o reference.png

tiles=$(sbatch --parsable --array=1-5 --chdir="$work" --output="$work/tile_%a.log" \
    --wrap "'$render' $scene --tile slurm -o part_%d.tfpart")
sbatch --parsable --dependency="afterok:$tiles" --chdir="$work" --output="$work/assemble.log" \
    --wrap "'$render' -q assemble part_*.tfpart -o final.png && touch assembled || touch failed" >/dev/null
for _ in $(seq 600); do
    [ -f assembled ] || [ -f failed ] && break
    sleep 0.2
done
[ -f assembled ] || fail "the tiles were not assembled within two minutes"

[ "$(ls part_*.tfpart | wc -l)" -eq 5 ] || fail "expected 5 parts, found: $(ls)"
cmp -s reference.png final.png || fail "the assembled image differs from the one-process render"
echo "a still from a 5-task job array of tiles, assembled after it, equal to the one-process render"
