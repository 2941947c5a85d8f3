#!/usr/bin/env bash
# Installs what is missing, builds the program with its tests and runs every test twice: the
# ordinary build (build-tests), then a build with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan), where any invalid access, leak or undefined behaviour fails the test it happens in.
# The ordinary suite also builds the Debian package with CPack and checks it with dpkg-deb
# (tests/package/deb.sh). Exits non-zero when either suite fails; each suite ends with CTest's own summary.
set -uo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh test || exit 1
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build-tests -DBUILD_TESTING=ON -DQUILL_WARNINGS_AS_ERRORS=ON >/dev/null || exit 1
cmake --build build-tests -j"$jobs" || exit 1
ctest --test-dir build-tests --output-on-failure -j"$jobs"
normal=$?

# The sanitizers stop at the first report instead of going on (-fno-sanitize-recover).
cmake -S . -B build-asan -DBUILD_TESTING=ON -DQUILL_WARNINGS_AS_ERRORS=ON -DQUILL_SANITIZE=ON \
    "-DCMAKE_CXX_FLAGS=-fno-sanitize-recover=undefined" >/dev/null || exit 1
cmake --build build-asan -j"$jobs" || exit 1
echo "Sanitizer suite (AddressSanitizer, LeakSanitizer, UndefinedBehaviorSanitizer):"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs"
sanitized=$?

[ $normal -eq 0 ] && [ $sanitized -eq 0 ]
