# Sourced by the farm tests: a scratch folder for the jobs' files, removed
# on exit, made the current folder, and fail(), which shows the queue and
# every job log before exiting with 1.
work=$(mktemp -d "${TMPDIR:-/tmp}/tessaform-farm.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

fail() {
    echo "FAIL: $*" >&2
    squeue >&2 || true
    for log in "$work"/*.log; do [ -f "$log" ] && { echo "--- $log" >&2; cat "$log" >&2; }; done
    exit 1
}
