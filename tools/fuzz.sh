#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer) in
# build-fuzz and runs each for the given time, all at once, one process each.
#   bash tools/fuzz.sh [seconds] [target...]     (default: 600 seconds; fuzz_package fuzz_replace)
# Each target starts from its committed seeds (fuzz/corpus/<name>) and the inputs kept from earlier
# crashes (fuzz/crashes/<name>) and grows a working corpus in build-fuzz/corpus/<name>. An input that
# crashes, leaks or hangs lands in build-fuzz/artifacts/<name>/; keep it in fuzz/crashes/<name>/ once
# fixed, and the replay test of the normal suite runs it from then on.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(fuzz_package fuzz_replace)

# Seconds one input may take before it counts as a hang.
per_input_timeout=10
# The largest input the fuzzer makes, in bytes (the template package is about 10 KB).
max_len=65536

bash tools/install-deps.sh fuzz

sanitizers="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DQUILL_BUILD_FUZZERS=ON -DBUILD_TESTING=OFF \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link $sanitizers" \
    "-DCMAKE_EXE_LINKER_FLAGS=$sanitizers" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
pids=()
for target in "${targets[@]}"; do
    name=${target#fuzz_}
    mkdir -p "build-fuzz/corpus/$name" "build-fuzz/artifacts/$name" "fuzz/crashes/$name"
    ./build-fuzz/bin/"$target" "build-fuzz/corpus/$name" "fuzz/corpus/$name" "fuzz/crashes/$name" \
        -max_total_time="$seconds" -timeout="$per_input_timeout" -max_len="$max_len" \
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
