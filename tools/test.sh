#!/usr/bin/env bash
# Installs what is missing, builds the program with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/install-deps.sh test
cmake -S . -B build-tests -DBUILD_TESTING=ON >/dev/null
cmake --build build-tests -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build-tests --output-on-failure -j"$(nproc)"
