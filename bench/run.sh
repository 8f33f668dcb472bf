#!/bin/sh
# Measures how long tolvexan takes to show its filled model list, under
# 64-bit Wine, against a baseline program that shows the same dialog filled
# from memory; breaks the tool's part down by kind of call; and, when Google
# Benchmark is installed, times the catalogue's own work per key natively.
# Not part of the tests: run it by hand, on a machine that is otherwise idle.
#
#   bench/run.sh
#   BENCH_RUNS=9 BENCH_SIZES="10 1000 10000 20000" bench/run.sh
#   nice -n -10 bench/run.sh    # as root: ahead of other work on a shared machine
#
# BENCH_RUNS starts of each program per size (after one that is not counted),
# BENCH_SIZES counts of models, half in each INF section. The programs are
# built optimised (Release) in trees of their own, build/bench-wine (the
# wine-tests preset, 64-bit) and build/bench-host; the results are written to
# build/bench-results/ and printed at the end.
set -eu
cd "$(dirname "$0")/.."

runs=${BENCH_RUNS:-7}
sizes=${BENCH_SIZES:-"10 1000 10000"}
wine_tree=build/bench-wine
host_tree=build/bench-host
results=build/bench-results

# One display for the whole run, rather than one per program.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

load=$(cut -d' ' -f1 /proc/loadavg)
if awk -v load="$load" 'BEGIN { exit !(load >= 0.5) }'; then
    echo "warning: load average $load; other work on the machine will show in the times" >&2
fi

windows_path() { printf 'Z:%s' "$(pwd)/$1" | tr / '\\'; }

cmake --preset wine-tests -B "$wine_tree" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$wine_tree" -j "$(nproc)" --target tolvexan bench_baseline bench_startup bench_breakdown

# The Wine server of the bench prefix stays up for a minute after a run; end
# it, so that this run's server starts with this run (and its priority).
if [ -d "$wine_tree/wineprefix" ]; then
    WINEPREFIX="$(pwd)/$wine_tree/wineprefix" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
fi

mkdir -p "$results"
{
    echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
    echo "commit: $(git rev-parse --short HEAD 2>/dev/null || echo unknown)"
    echo "nproc: $(nproc)"
    echo "cpu: $(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -n 1)"
    echo "wine: $(/usr/lib/wine/wine64 --version) (64-bit: wine64, a win64 prefix, x86-64 programs)"
    echo "runs: $runs, sizes: $sizes"
    echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
} >"$results/machine.txt"

# The bench tree's own prefix, without the tests' traces: each program's
# errors go to the .err file next to its results.
wine_run() {
    env -u TOLVEXAN_WINE_LOG WINEDEBUG=-all scripts/wine-run.sh "$(pwd)/$wine_tree/wineprefix" "$@"
}
# shellcheck disable=SC2086
wine_run "$wine_tree/bench_startup.exe" \
    "$(windows_path "$wine_tree/program/tolvexan.exe")" "$(windows_path "$wine_tree/bench_baseline.exe")" \
    "$(windows_path "$wine_tree/packages")" "$runs" $sizes \
    >"$results/startup.txt" 2>"$results/startup.err" ||
    { cat "$results/startup.err" >&2; exit 1; }
# shellcheck disable=SC2086
wine_run "$wine_tree/bench_breakdown.exe" "$(windows_path "$wine_tree/packages")" "$runs" $sizes \
    >"$results/breakdown.txt" 2>"$results/breakdown.err" ||
    { cat "$results/breakdown.err" >&2; exit 1; }
echo "load average after Wine: $(cut -d' ' -f1-3 /proc/loadavg)" >>"$results/machine.txt"

cmake --preset host -B "$host_tree" -DCMAKE_BUILD_TYPE=Release >/dev/null
if grep -q '^benchmark_DIR:PATH=.*NOTFOUND' "$host_tree/CMakeCache.txt"; then
    echo "Google Benchmark is not installed (Debian: libbenchmark-dev): no host benchmark" >"$results/host.txt"
else
    cmake --build "$host_tree" -j "$(nproc)" --target catalogue_benchmark
    "$host_tree/catalogue_benchmark" --benchmark_min_time=0.5 --benchmark_repetitions=5 \
        --benchmark_report_aggregates_only=true >"$results/host.txt" 2>&1
fi

for part in machine startup breakdown host; do
    echo "==== $part"
    cat "$results/$part.txt"
    echo
done
