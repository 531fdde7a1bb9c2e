#!/usr/bin/env bash
# Builds the editor with warnings as errors and runs every test: unit tests, and the end-to-end
# scenarios against the Linux build and, where MinGW-w64 and Wine are installed, against the
# Windows build under Wine.
# With --sanitize: the same in a separate build under AddressSanitizer and UndefinedBehaviorSanitizer
# (the Windows build, which has no sanitizers, is left out there).
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
flags=(-DVEHICLE_EDITOR_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-sanitize
  flags+=(-DVEHICLE_EDITOR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DVEHICLE_EDITOR_WINDOWS_TESTS=OFF)
fi

cmake -S . -B "$build" "${flags[@]}"
cmake --build "$build" -j "$(nproc)"
rm -f "$build"/reports/*.txt
ctest --test-dir "$build" --output-on-failure

# The figures of the attack tests (kills survived, faults injected, memory under input floods).
if compgen -G "$build/reports/*.txt" >/dev/null; then
  echo
  cat "$build"/reports/*.txt
fi
