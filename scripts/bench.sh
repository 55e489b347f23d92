#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them: one JSON line per case with the
# median of five runs. Arguments go to every benchmark executable, for example
#   scripts/bench.sh --benchmark_filter='/10000($|/)'
# BENCH="bench_archive bench_gerber" limits the executables.
#
#   scripts/bench.sh --targets [--benchmark_repetitions=N]
# runs only the cases that have a speed target (undo, recording a step, the
# screen redraw, opening, Gerber export of big boards) and prints a table of
# each median against its target: a ratio of 1 or less meets it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh >&2
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DZELKO_BUILD_TESTS=OFF -DZELKO_BUILD_BENCH=ON >&2

if [[ "${1:-}" == "--targets" ]]; then
  shift
  # executable; case filter; name; args; target (ms); what
  cases=(
    "bench_history;BM_UndoRedoRoot/(20000|100000)/;BM_UndoRedoRoot;20000;30;undo + redo of one step, 20 000 objects"
    "bench_history;;BM_UndoRedoRoot;100000;150;undo + redo of one step, 100 000 objects"
    "bench_history;BM_SaveRootMemento/(20000|100000)$;BM_SaveRootMemento;20000;8;recording a step, 20 000 objects"
    "bench_history;;BM_SaveRootMemento;100000;40;recording a step, 100 000 objects (linear from 20 000)"
    "bench_render;BM_RenderMain/(20000|100000)/1$;BM_RenderMain;20000/1;50;screen redraw 1920 x 1080 at fit, 20 000 objects"
    "bench_render;;BM_RenderMain;100000/1;150;screen redraw 1920 x 1080 at fit, 100 000 objects"
    "bench_archive;BM_ReadBoard/100000$;BM_ReadBoard;100000;1500;open (read + build), 100 000 objects"
    "bench_gerber;BM_ExportEveryLayer/100000/0;BM_ExportEveryLayer;100000/0;3000;Gerber export of every layer, 100 000 objects"
  )
  declare -A filters=()
  for c in "${cases[@]}"; do
    IFS=';' read -r exe filter _ <<<"$c"
    [[ -n "$filter" ]] && filters[$exe]="${filters[$exe]:+${filters[$exe]}|}$filter"
  done
  # shellcheck disable=SC2086
  cmake --build build/release --target ${!filters[*]} >&2
  out=$(mktemp)
  trap 'rm -f "$out"' EXIT
  for exe in "${!filters[@]}"; do
    build/release/bench/"$exe" --benchmark_filter="${filters[$exe]}" "$@" >>"$out"
  done
  printf '%-66s %12s %10s %7s\n' "case" "median (ms)" "target" "ratio"
  for c in "${cases[@]}"; do
    IFS=';' read -r _ _ name args target what <<<"$c"
    median=$(grep -F "\"name\":\"$name\"" "$out" | grep -F "\"args\":\"$args\"" |
      sed -n 's/.*"median":\([^,]*\),.*/\1/p' | head -1)
    if [[ -z "$median" ]]; then
      printf '%-66s %12s %10s %7s\n' "$what" "-" "$target" "-"
    else
      awk -v w="$what" -v m="$median" -v t="$target" 'BEGIN { printf "%-66s %12.1f %10s %7.2f\n", w, m, t, m / t }'
    fi
  done
  exit 0
fi

targets=${BENCH:-$(sed -n 's/^zelko_add_bench(\(bench_[a-z_]*\).*/\1/p' bench/CMakeLists.txt | tr '\n' ' ')}
# shellcheck disable=SC2086
cmake --build build/release --target $targets >&2
for t in $targets; do
  build/release/bench/"$t" "$@"
done
