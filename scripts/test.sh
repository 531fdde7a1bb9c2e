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
# CTest shows a skipped test as "***Skipped" alone; the reason is in its log, whole only if the
# output of passed (and skipped) tests is not cut short.
status=0
ctest --test-dir "$build" --output-on-failure --test-output-size-passed 1048576 || status=$?

# The figures of the attack tests (kills survived, faults injected, memory under input floods).
if compgen -G "$build/reports/*.txt" >/dev/null; then
  echo
  cat "$build"/reports/*.txt
fi

# Prints each skipped test of the CTest log $1 with the reason GoogleTest gave for it: the lines
# between "<file>:<line>: Skipped" and "[  SKIPPED ]" in the test's output.
list_skipped() {
  awk '
    /^[0-9]+\/[0-9]+ Test: / { name = substr($0, index($0, ": ") + 2); out = 0; grab = 0; reason = ""; next }
    /^Output:$/ { out = 1; getline; next }
    /^<end of output>$/ { out = 0; next }
    out && /: Skipped$/ { grab = 1; next }
    out && /^\[  SKIPPED \]/ { grab = 0; next }
    out && grab && NF { reason = reason (reason == "" ? "" : " ") $0; next }
    /^Skip regular expression found in output/ || /^Skipped because of SKIP_RETURN_CODE/ {
      if (reason == "") reason = "(no reason given)"
      print "  " name ": " reason
      count++
    }
    END { if (count == 0) print "  none"; else print "  (" count " skipped)" }
  ' "$1"
}
echo
echo "Skipped tests and why:"
if ! list_skipped "$build/Testing/Temporary/LastTest.log"; then
  echo "test.sh: could not list the skipped tests from $build/Testing/Temporary/LastTest.log" >&2
  [ "$status" -ne 0 ] || status=1
fi
exit "$status"
