#!/usr/bin/env bash
# Builds everything and runs every test: first the whole suite (every label:
# unit, blackbox, cli, gui, install) under AddressSanitizer and
# UndefinedBehaviorSanitizer, then again in an ordinary release build. The run
# ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)

echo "== sanitizer build (build-asan) =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON \
    -DVELMORA_BUILD_TESTS=ON -DVELMORA_BUILD_BENCH=OFF > /dev/null
cmake --build build-asan -j "$jobs"
# intercept_tls_get_addr=0: the leak checker of this compiler's runtime
# crashes on a stale dynamic-TLS record once the engine library has been
# loaded with dlopen (a fault of the runtime, not a leak); without the
# interception it keeps checking every allocation.
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j "$jobs"

echo "== release build (build) =="
# Tests and benchmarks on: the README's start command may have configured
# this folder for the programs alone.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVELMORA_BUILD_TESTS=ON -DVELMORA_BUILD_BENCH=ON > /dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"
