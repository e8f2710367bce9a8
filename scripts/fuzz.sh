#!/usr/bin/env bash
# Builds the request fuzzer with clang (libFuzzer, AddressSanitizer, UBSan) in build-fuzz
# and runs it for a bounded time, starting from the corpus kept in fuzz/corpus. New inputs
# go to build-fuzz/corpus, so the repository's corpus changes only when someone copies
# an interesting input there.
set -euo pipefail
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTESTCLIENT_FUZZ=ON -DBUILD_TESTING=OFF -DTESTCLIENT_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target fuzz_requests -- --no-print-directory

mkdir -p "$build/corpus"
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$root/tests/sanitizers/lsan-qt.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# -timeout: one input (a few request lines) answering slower than this counts as a hang.
"$build/bin/fuzz_requests" -max_total_time="$seconds" -timeout=20 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$build/" "$build/corpus" "$root/fuzz/corpus"
