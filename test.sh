#!/usr/bin/env bash
# Sets up, builds the Debug build with AddressSanitizer and UndefinedBehaviorSanitizer,
# checks formatting and clang-tidy on its compile database (scripts/lint.sh), and runs
# every test. The exit code is the result: failing when either the lint or a test fails.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
"$here/scripts/setup.sh"
build="$here/build/debug"
if [ ! -f "$build/build.ninja" ]; then
  cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DZELKO_SANITIZE=ON -DZELKO_WERROR=ON -DZELKO_BUILD_BENCH=ON -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
fi
cmake --build "$build"
# The tests run even when the lint fails, so one run reports both.
lint=0
"$here/scripts/lint.sh" "$build" || lint=$?
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$build"
ctest --output-on-failure -j"$(nproc)"
if [ "$lint" -ne 0 ]; then
  echo "test.sh: the tests pass, the lint does not (above)" >&2
  exit "$lint"
fi
