#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them: one JSON line per case with the
# median of five runs. Arguments go to every benchmark executable, for example
#   scripts/bench.sh --benchmark_filter='/10000($|/)'
# BENCH="bench_archive bench_gerber" limits the executables.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELKO_BUILD_TESTS=OFF -DZELKO_BUILD_BENCH=ON >&2
targets=${BENCH:-$(sed -n 's/^zelko_add_bench(\(bench_[a-z_]*\).*/\1/p' bench/CMakeLists.txt | tr '\n' ' ')}
# shellcheck disable=SC2086
cmake --build build/release --target $targets >&2
for t in $targets; do
  build/release/bench/"$t" "$@"
done
