#!/bin/sh
# Builds the fuzz tree when needed and runs each libFuzzer harness for a
# bounded time (FUZZ_SECONDS, 30 by default) on a copy of its seed corpus in
# the build tree, so the source tree stays clean; seeds too slow to mutate
# (corpus/*_large) are run once before. Prints one line per harness and
# exits non-zero when any harness found something (a crash, a broken
# property, a leak, a time-out or running out of memory); the input and the
# log are then left in build/fuzz/runs/HARNESS/.
set -eu
cd "$(dirname "$0")/../.."

seconds="${FUZZ_SECONDS:-30}"
tree=build/fuzz

if [ ! -f "$tree/CMakeCache.txt" ]; then
    cmake --preset fuzz >/dev/null
fi
cmake --build --preset fuzz >/dev/null

export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=0
for pair in FuzzModelList:model_list FuzzInstallCommand:install_command; do
    harness="${pair%%:*}"
    seeds="tests/fuzz/corpus/${pair#*:}"
    work="$tree/runs/$harness"
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    cp "$seeds"/* "$work/corpus/"
    seed_count=$(find "$work/corpus" -type f | wc -l)

    status=0
    if [ -d "${seeds}_large" ]; then
        "$tree/$harness" -rss_limit_mb=2048 "${seeds}_large"/* >"$work/large-seeds.txt" 2>&1 || status=$?
        if [ "$status" -ne 0 ]; then
            failed=1
            echo "$harness: FAILED on a seed of ${seeds}_large (exit $status); log: $work/large-seeds.txt"
            continue
        fi
    fi
    "$tree/$harness" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
        -entropic_scale_per_exec_time=1 -print_final_stats=1 -artifact_prefix="$work/artifacts/" "$work/corpus" \
        >"$work/log.txt" 2>&1 || status=$?

    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log.txt")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log.txt")
    last=$(grep -E '^#[0-9]+' "$work/log.txt" | tail -n 1)
    cov=$(printf '%s\n' "$last" | sed -n 's/.* cov: \([0-9]*\).*/\1/p')
    ft=$(printf '%s\n' "$last" | sed -n 's/.* ft: \([0-9]*\).*/\1/p')
    corpus_count=$(find "$work/corpus" -type f | wc -l)
    findings=$(find "$work/artifacts" -type f -printf '%f ' | sed 's/ $//')

    if [ "$status" -ne 0 ] || [ -n "$findings" ]; then
        failed=1
        echo "$harness: FAILED (exit $status, found: ${findings:-nothing saved}); log: $work/log.txt"
        grep -E 'property broken|ERROR: (Address|Leak)Sanitizer|runtime error|ERROR: libFuzzer' \
            "$work/log.txt" | head -n 3 | sed 's/^/    /'
    else
        echo "$harness: ok, ${runs:-?} runs in ${seconds} s (${speed:-?}/s), cov ${cov:-?}, ft ${ft:-?}," \
            "corpus $seed_count -> $corpus_count inputs"
    fi
done
exit "$failed"
