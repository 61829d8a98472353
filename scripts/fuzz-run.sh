#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a fixed time on a copy of its stored corpus
# (the stored corpus stays as it is; new inputs go to the copy). Any crash, leak or time-out
# fails the run; the finding is kept beside the copy.
# Usage: scripts/fuzz-run.sh BUILD_DIR SECONDS [TARGET...]   (default: every *_fuzz program)
set -euo pipefail
cd "$(dirname "$0")/.."
build="$1"
seconds="$2"
shift 2
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for program in "$build"/fuzz/*/*_fuzz "$build"/fuzz/*_fuzz; do
        [ -x "$program" ] && targets+=("$(basename "$program" _fuzz)")
    done
fi
work="$build/fuzz-runs"
# The targets that write each input to a file run several times faster on a memory file system.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
for target in "${targets[@]}"; do
    program="$(find "$build/fuzz" -name "${target}_fuzz" -type f -perm -u+x | head -n 1)"
    corpus="fuzz/corpus/$target"
    [ -n "$program" ] && [ -d "$corpus" ] || { echo "no program or corpus for $target"; exit 1; }
    rm -rf "${work:?}/$target"
    mkdir -p "$work/$target/corpus" "$work/$target/findings"
    cp -r "$corpus/." "$work/$target/corpus/"
    "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$work/$target/findings/" "$work/$target/corpus" \
        >"$work/$target/log.txt" 2>&1 || { tail -n 40 "$work/$target/log.txt"; exit 1; }
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$target/log.txt" | grep -o '[0-9]*$')"
    echo "$target: $runs executions in ${seconds} s, 0 findings"
done
