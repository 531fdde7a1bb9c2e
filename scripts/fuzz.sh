#!/usr/bin/env bash
# Builds the libFuzzer target over the line splitter and the record line with clang, under
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs it for a bounded time
# (default 60 seconds) from the seed corpus in tests/fuzz/corpus, which it leaves unchanged.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"

cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DBUILD_TESTING=OFF \
  -DVEHICLE_EDITOR_FUZZ=ON -DVEHICLE_EDITOR_SANITIZE=ON -DVEHICLE_EDITOR_WERROR=ON
cmake --build build-fuzz --target record_line_fuzzer -j "$(nproc)"

# New inputs go to the working corpus; the seeds are only read.
mkdir -p build-fuzz/corpus
./build-fuzz/record_line_fuzzer -max_total_time="$seconds" -max_len=8192 -print_final_stats=1 \
  build-fuzz/corpus tests/fuzz/corpus
