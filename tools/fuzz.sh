#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in
# build-fuzz and runs each for the given time, all at once, one process each.
#   bash tools/fuzz.sh [seconds] [target...]     (default: 600 seconds; all three targets)
# Each target starts from its committed seeds (fuzz/corpus/<name>) and the inputs kept from earlier
# crashes (fuzz/crashes/<name>) and grows a working corpus in build-fuzz/corpus/<name>; fuzz_package
# also reads the real documents of ../shared/corpus/docx4j when that folder is beside the checkout (or
# beside the main checkout of a linked worktree), in place. An input that
# crashes, leaks or hangs lands in build-fuzz/artifacts/<name>/; keep it in fuzz/crashes/<name>/ once
# fixed, and the replay test of the normal suite runs it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_package fuzz_replace fuzz_recipients)

# Seconds one input may take before it counts as a hang.
per_input_timeout=10
# The largest input the fuzzer makes, in bytes. libFuzzer cuts longer seeds to this length, and a
# package cut short is no package: 1 MB keeps all but three of the real documents whole (those three
# are mostly embedded fonts and pictures). The fuzzer mutates an input near its own size, so only the
# large documents run slowly, up to about 1.5 seconds each under the sanitizers, well inside the hang limit.
package_max_len=1048576
# The replace inputs are a main part's XML (the template's is about 10 KB).
replace_max_len=65536
# The recipient inputs are a name pattern and a CSV list: a few rows are enough to reach every state
# of the reader, and a first line may ask for blank lines before the list so that a small list still
# straddles the reader's 64 KB pieces. Cells longer than the reader's limit (1 MB) are left to its tests.
recipients_max_len=16384

# Real documents as extra seeds, read in place and never written to (new inputs go to the first folder).
shared_corpus=""
for checkout in . "$(dirname "$(git rev-parse --path-format=absolute --git-common-dir 2>/dev/null || echo .)")"; do
    if [ -d "$checkout/../shared/corpus/docx4j" ]; then
        shared_corpus=$checkout/../shared/corpus/docx4j
        break
    fi
done

bash tools/install-deps.sh fuzz

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DQUILL_BUILD_FUZZERS=ON -DBUILD_TESTING=OFF "${launcher[@]}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link $sanitizers" \
    "-DCMAKE_EXE_LINKER_FLAGS=$sanitizers" >/dev/null
cmake --build build-fuzz -j"$(( $(nproc) < 2 ? $(nproc) : 2 ))" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
pids=()
for target in "${targets[@]}"; do
    name=${target#fuzz_}
    mkdir -p "build-fuzz/corpus/$name" "build-fuzz/artifacts/$name" "fuzz/crashes/$name"
    seeds=("fuzz/corpus/$name" "fuzz/crashes/$name")
    [ "$name" = package ] && [ -n "$shared_corpus" ] && seeds+=("$shared_corpus")
    max_len_name=${name}_max_len
    ./build-fuzz/bin/"$target" "build-fuzz/corpus/$name" "${seeds[@]}" \
        -max_total_time="$seconds" -timeout="$per_input_timeout" -max_len="${!max_len_name}" \
        -artifact_prefix="build-fuzz/artifacts/$name/" -print_final_stats=1 \
        >"build-fuzz/$target.log" 2>&1 &
    pids+=($!)
done

status=0
for index in "${!pids[@]}"; do
    target=${targets[$index]}
    if wait "${pids[$index]}"; then
        echo "$target: no crash, leak or hang"
    else
        echo "$target: FAILED, see build-fuzz/$target.log and build-fuzz/artifacts/${target#fuzz_}/"
        status=1
    fi
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done [0-9]+ runs)' "build-fuzz/$target.log" || true
done
exit $status
