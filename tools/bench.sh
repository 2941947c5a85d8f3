#!/usr/bin/env bash
# Builds the benchmarks and the program (Release, build-bench/), installs what they need, runs them
# with their anchors (LibreOffice's headless PDF conversion of one letter and of a batch of merged
# letters, docxtemplater in Node filling one letter and merging a list), a peak-memory session and
# the peak memory of the command's merge of a small and a large list, and prints medians, ratios and
# whether each target is met.
#   bash tools/bench.sh            # QUILL_BENCH_REPETITIONS (default 7) repetitions of each benchmark
set -euo pipefail
cd "$(dirname "$0")/.."

repetitions=${QUILL_BENCH_REPETITIONS:-7}
docx_runs=${QUILL_BENCH_DOCX_RUNS:-30}
lo_cold_runs=${QUILL_BENCH_LO_COLD_RUNS:-3}
lo_warm_runs=${QUILL_BENCH_LO_WARM_RUNS:-5}
# The merge benchmark's list (as kMergeRows in quill_bench.cpp), the large list of the memory
# measurement, and how many merged letters LibreOffice converts in one process.
merge_rows=1000
large_rows=10000
lo_batch=20
build=build-bench
results=$build/results

bash tools/install-deps.sh
missing=()
for p in libbenchmark-dev libreoffice-writer-nogui time; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Node may come from elsewhere than Debian's packages; only a missing command asks for them.
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# docxtemplater and pizzip, as locked in bench/package-lock.json, into bench/node_modules.
[ -d bench/node_modules/docxtemplater ] || (cd bench && npm ci --no-audit --no-fund --loglevel=error >/dev/null)

echo "== Building the benchmarks in $build (Release)"
cmake -S . -B "$build" -DQUILL_BUILD_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target quill_bench quill_peak_memory quillfern-epistle >"$build/bench-build.log" \
    || { cat "$build/bench-build.log"; exit 1; }

rm -rf "$results"
mkdir -p "$results/runtime"
chmod 700 "$results/runtime"
export QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=$PWD/$results/runtime
bench="$build/bin/quill_bench"
echo "== Machine: $(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)"

echo "== Benchmarks: $repetitions repetitions each (full table in $results/bench.txt)"
"$bench" --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
    --benchmark_out="$results/bench.json" --benchmark_out_format=json >"$results/bench.txt"

echo "== Anchors: docxtemplater ($docx_runs fills), LibreOffice ($lo_cold_runs cold, $lo_warm_runs warm)"
"$bench" --write-template="$results/template.dotx" --write-fields="$results/fields.json" \
    --write-letter="$results/letter.doc" --write-recipients="$merge_rows:$results/recipients-$merge_rows.csv" \
    --write-recipients="$large_rows:$results/recipients-$large_rows.csv"
node bench/docxtemplater_fill.js "$results/template.dotx" "$results/fields.json" "$results/docxtemplater.docx" \
    "$docx_runs" > "$results/docxtemplater.json"
echo "== Anchor: docxtemplater merges $merge_rows rows in one Node process"
node bench/docxtemplater_merge.js "$results/template.dotx" "$results/recipients-$merge_rows.csv" \
    "$results/docxtemplater-merge" > "$results/docxtemplater_merge.json"
rm -rf "$results/docxtemplater-merge"
node bench/libreoffice_convert.js "$results/letter.doc" "$results/libreoffice" "$lo_cold_runs" "$lo_warm_runs" \
    > "$results/libreoffice.json"

echo "== Peak memory: a whole session under /usr/bin/time -v"
/usr/bin/time -v -o "$results/peak_time.txt" "$build/bin/quill_peak_memory" > "$results/peak_memory.txt"

# The command as a user runs it, with private settings and work files (no stored values: the list
# gives every tag).
echo "== Peak memory of the command's merge into .doc: $merge_rows and $large_rows rows under /usr/bin/time -v"
mkdir -p "$results/home" "$results/config" "$results/temp"
chmod 700 "$results/temp"
for rows in "$merge_rows" "$large_rows"; do
    mkdir -p "$results/merge-$rows"
    HOME=$PWD/$results/home XDG_CONFIG_HOME=$PWD/$results/config TEMP=$PWD/$results/temp \
        /usr/bin/time -v -o "$results/merge_peak_$rows.txt" "$build/bin/quillfern-epistle" merge \
        "$results/recipients-$rows.csv" --out "$results/merge-$rows" --format doc --quiet
done
echo "== Anchor: LibreOffice converts $lo_batch merged letters to PDF in one process"
node bench/libreoffice_batch.js "$results/merge-$merge_rows" "$results/libreoffice-batch" "$lo_batch" \
    > "$results/libreoffice_batch.json"
rm -rf "$results/merge-$merge_rows" "$results/merge-$large_rows"

node bench/report.js "$results"
