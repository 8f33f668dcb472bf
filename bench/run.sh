#!/bin/sh
# shellcheck disable=SC2086 # the lists of sizes and targets are split on purpose
# Times tolvexan's start-up to its filled model list under Wine, against a
# baseline program that does only the necessary work, and tolvexan-check's run
# to its exit on the same packages; and the catalogue's own work per key
# natively (Google Benchmark). Not part of the tests; the results are
# described in docs/performance.md and written to build/bench-results/.
#
#   bench/run.sh
#   BENCH_RUNS=21 BENCH_SIZES="10 10000" nice -n 10 bench/run.sh
#
# Where scripts/windows-arch.sh prints 32, it times the shipped
# build/win32/tolvexan.exe and tolvexan-check.exe under 32-bit Wine, against a
# baseline built for i686 (build/bench-wine-32); else 64-bit builds of both
# against a 64-bit baseline (build/bench-wine). Natively: build/bench-host.
set -eu
cd "$(dirname "$0")/.."
runs=${BENCH_RUNS:-101}
sizes=${BENCH_SIZES:-"10 1000 10000"}
results=build/bench-results
options="-DTOLVEXAN_BENCH=ON -DCMAKE_BUILD_TYPE=Release"

# One display for the whole run, rather than one per program.
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi

arch=$(scripts/windows-arch.sh | cut -d' ' -f1)
if [ "$arch" = 32 ]; then
    tree=build/bench-wine-32 preset=wine-tests-32 tool=build/win32/tolvexan.exe
    check=build/win32/tolvexan-check.exe
    # build/win32 is the shipped program's own tree: only built, never configured here.
    { [ -f "$tool" ] && [ -f "$check" ]; } || cmake --build build/win32 --target tolvexan tolvexan-check
    targets="bench_baseline bench_startup"
else
    tree=build/bench-wine preset=wine-tests tool=build/bench-wine/program/tolvexan.exe
    check=build/bench-wine/program/tolvexan-check.exe
    targets="tolvexan tolvexan-check bench_baseline bench_startup"
fi
cmake --preset $preset -B $tree $options >/dev/null
cmake --build $tree -j "$(nproc)" --target $targets
cmake --preset host -B build/bench-host $options >/dev/null
cmake --build build/bench-host -j "$(nproc)" --target catalogue_benchmark

# The packages: one INF each, code page 932, CRLF, both model sections
# listing the same models, with an install section per model.
rm -rf "$tree/packages"
/usr/bin/python3 - "$tree/packages" $sizes <<'PY'
import os, sys
series, kinds = ["KTL-", "KTL-C", "Voskari LP-", "Voskari PX-"], ["", " PS", " PCL6", " カラー", " 複合機"]
for models in map(int, sys.argv[2:]):
    keys = ['"Zentu %s%d%s"' % (series[i % 4], 1000 + 10 * (i // 20), kinds[i // 4 % 5]) for i in range(models // 2)]
    lines = ['[Version]', 'Signature="$Windows NT$"', 'Class=Printer', 'Provider=%ZENTU%',
             '', '[Manufacturer]', '"Zentu"=Zentu,NTx86.5.1']
    for section in ("Zentu", "Zentu.NTx86.5.1"):
        lines += ["", "[%s]" % section] + ["%s = ZK%05d,ZentuKTL-%05d" % (k, i, i) for i, k in enumerate(keys)]
    for i in range(len(keys)):
        lines += ["", "[ZK%05d]" % i, "CopyFiles=@ZK%05d.ZPD,ZENTU_COMMON" % i, "DataFile=ZK%05d.ZPD" % i]
    lines += ["", "[Strings]", 'ZENTU="Zentu"']
    folder = os.path.join(sys.argv[1], "models-%d" % models)
    os.makedirs(folder)
    with open(os.path.join(folder, "ZENTU.INF"), "wb") as inf:
        inf.write(("\r\n".join(lines) + "\r\n").encode("cp932"))
PY

mkdir -p $results
{
    echo "date: $(date -u '+%Y-%m-%d %H:%M UTC'), commit $(git rev-parse --short HEAD)"
    echo "cpu: $(nproc) x $(sed -n 's/^model name[^:]*: //p' /proc/cpuinfo | head -n 1)"
    echo "wine: $(TOLVEXAN_WINE_ARCH=$arch scripts/wine-run.sh "$(pwd)/$tree/wineprefix" --version), $arch-bit; nice $(nice)"
    echo "timed: $tool ($(stat -c %s $tool) bytes, $(date -u -r $tool '+%F %T UTC'), sha256 $(sha256sum <$tool | cut -c1-16))"
    echo "baseline: $tree/bench/bench_baseline.exe"
    echo "check: $check ($(stat -c %s $check) bytes, sha256 $(sha256sum <$check | cut -c1-16))"
    echo "runs: $runs; sizes: $sizes; INF bytes: $(stat -c %s $tree/packages/*/ZENTU.INF | tr '\n' ' ')"
    echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
} >$results/machine.txt
windows_path() { printf 'Z:%s' "$(pwd)/$1" | sed 's|/|\\|g'; }
TOLVEXAN_WINE_ARCH=$arch WINEDEBUG=-all scripts/wine-run.sh "$(pwd)/$tree/wineprefix" \
    "$tree/bench/bench_startup.exe" "$(windows_path $tool)" "$(windows_path $tree/bench/bench_baseline.exe)" \
    "$(windows_path $check)" "$(windows_path $tree/packages)" "$runs" $sizes >$results/startup.txt
echo "load average after Wine: $(cut -d' ' -f1-3 /proc/loadavg); tool sha256 $(sha256sum <$tool | cut -c1-16)" \
    >>$results/machine.txt

build/bench-host/bench/catalogue_benchmark --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    >$results/host.txt 2>&1

for part in machine startup host; do
    printf '==== %s\n' $part
    cat $results/$part.txt
done
