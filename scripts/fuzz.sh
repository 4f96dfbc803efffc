#!/bin/sh
# Builds the libFuzzer targets (the fuzz preset) and runs each for SECONDS,
# side by side, on a scratch copy of its seeds under build/fuzz/runs; the
# seeds in fuzz/corpus are never written to. Inputs kept under
# tests/fuzz-regressions/<target>/ are seeds as well, so a fixed fault that
# comes back fails the run at once.
#
#   scripts/fuzz.sh SECONDS [TARGET...]     TARGET: param_file, gradient_image,
#                                           command_line, png_text, keyframe_file,
#                                           tile_part (or with a fuzz_ prefix)
#
# Exits non-zero when a target finds a crash, leak, timeout or out-of-memory
# input; the input is left in build/fuzz/runs/<target>/artifacts.
set -eu

usage() {
    echo "usage: $0 SECONDS [param_file|gradient_image|command_line|png_text|keyframe_file|tile_part ...]" >&2
    exit 2
}

[ $# -ge 1 ] || usage
seconds=$1
shift
case "$seconds" in
    '' | *[!0-9]*) usage ;;
esac
[ "$seconds" -gt 0 ] || usage

cd "$(dirname "$0")/.."
root=$(pwd)

[ $# -gt 0 ] || set -- param_file gradient_image command_line png_text keyframe_file tile_part
targets=""
for target in "$@"; do
    target=${target#fuzz_}
    case "$target" in
        param_file | gradient_image | command_line | png_text | keyframe_file | tile_part) targets="$targets $target" ;;
        *) echo "$0: unknown target '$target'" >&2 && usage ;;
    esac
done

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

runs="$root/build/fuzz/runs"
for target in $targets; do
    work="$runs/$target"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    cp "$root/fuzz/corpus/$target/"* "$work/corpus/"
    if [ -d "$root/tests/fuzz-regressions/fuzz_$target" ]; then
        cp "$root/tests/fuzz-regressions/fuzz_$target/"* "$work/corpus/" 2>/dev/null || true
    fi
    set -- -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/artifacts/"
    if [ -f "$root/fuzz/$target.dict" ]; then
        set -- "$@" -dict="$root/fuzz/$target.dict"
    fi
    echo "fuzz_$target: running for ${seconds} s"
    (
        status=0
        "$root/build/fuzz/bin/fuzz_$target" "$@" "$work/corpus" >"$work/log" 2>&1 || status=$?
        echo "$status" >"$work/status"
    ) &
done
wait

failed=0
printf '\n%-22s %12s %10s  %s\n' target executions exec/s result
for target in $targets; do
    work="$runs/$target"
    status=$(cat "$work/status")
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log" | tail -n 1)
    findings=$(find "$work/artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
        -o -name 'oom-*' \) | wc -l)
    if [ "$status" -eq 0 ] && [ "$findings" -eq 0 ]; then
        result=ok
    else
        result="FAILED (exit $status, $findings input(s) in $work/artifacts)"
        failed=1
    fi
    printf '%-22s %12s %10s  %s\n' "fuzz_$target" "${executions:-?}" "${speed:-?}" "$result"
done

if [ "$failed" -ne 0 ]; then
    for target in $targets; do
        if [ "$(cat "$runs/$target/status")" -ne 0 ]; then
            printf '\n--- fuzz_%s: end of %s\n' "$target" "$runs/$target/log"
            grep -v '^#[0-9]' "$runs/$target/log" | tail -n 40
        fi
    done
    exit 1
fi
