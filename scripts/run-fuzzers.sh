#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (only they are built, in their own
# folder build-fuzz) and runs each one for SECONDS (default 300). The seed
# inputs in fuzz/corpus/<target>/ are read; what the fuzzers add goes to
# build-fuzz/corpus/<target>/ and crash inputs to build-fuzz/findings/.
# JOBS (default: the number of processors) sets the build's parallelism.
# CI runs every target for a short time; a finding fails the run.
#
#   scripts/run-fuzzers.sh [SECONDS] [TARGET...]
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-300}"
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(fuzz_image_loader fuzz_definition fuzz_read_values fuzz_rename_pattern)
fi
build="$root/build-fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_FUZZ=ON \
    -DVELMORA_BUILD_TESTS=OFF -DVELMORA_BUILD_BENCH=OFF >/dev/null
ninja -C "$build" -j "${JOBS:-$(nproc)}" "${targets[@]}"

mkdir -p "$build/findings"
status=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    echo "== $target for ${seconds}s"
    # -rss_limit_mb bounds what one input may allocate; -timeout flags hangs.
    if ! nice -n 10 "$build/fuzz/$target" "$corpus" "$root/fuzz/corpus/$target" \
        -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=65536 \
        -artifact_prefix="$build/findings/$target-" -print_final_stats=1; then
        echo "== $target found a problem; see $build/findings/"
        status=1
    fi
done
exit "$status"
