#!/usr/bin/env bash
# Builds the editor with warnings as errors and runs every test.
# With --sanitize: the same in a separate build under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
flags=(-DVEHICLE_EDITOR_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-sanitize
  flags+=(-DVEHICLE_EDITOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi

cmake -S . -B "$build" "${flags[@]}"
cmake --build "$build" -j "$(nproc)"
ctest --test-dir "$build" --output-on-failure
