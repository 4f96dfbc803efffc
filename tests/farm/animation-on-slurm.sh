#!/bin/sh
# Inside with-slurm.sh: renders a film as a Slurm job array whose tasks take
# contiguous chunks of the frames into one shared folder, and checks every
# frame against a one-process render, byte for byte.
#   animation-on-slurm.sh TESSAFORM_RENDER
set -eu
render=$1
. "$(dirname "$0")/job-folder.sh"

cat >film.toml <<'FILM'
fps = 12
[[key]]
frame = 0
phi = 5.969026
[[key]]
frame = 11
phi = 7.0
constant.x = -0.3
power = 3
FILM
mkdir reference shared
"$render" -q --animation film.toml -W 24 -H 18 -o reference/f_%02d.png >/dev/null

tasks=$(sbatch --parsable --array=1-3 --chdir="$work" --output="$work/task_%a.log" \
    --wrap "'$render' -q --animation film.toml --chunk slurm -W 24 -H 18 -o shared/f_%02d.png --skip-existing")
sbatch --parsable --dependency="afterok:$tasks" --chdir="$work" --output=/dev/null --wrap "touch all-done" >/dev/null
for _ in $(seq 600); do
    [ -f all-done ] && break
    sleep 0.2
done
[ -f all-done ] || fail "the job array did not finish within two minutes"

for reference in reference/*.png; do
    cmp -s "$reference" "shared/${reference#reference/}" || fail "shared/${reference#reference/} differs"
done
[ "$(ls shared | wc -l)" -eq 12 ] || fail "expected 12 frames, found: $(ls shared)"
done_frames=0
for count in $(sed -n 's/^Frames: \([0-9]*\) done.*/\1/p' task_*.log); do
    done_frames=$((done_frames + count))
done
[ "$done_frames" -eq 12 ] || fail "the tasks rendered $done_frames frames, not 12"
echo "12 frames from a 3-task job array, each equal to the one-process render"
