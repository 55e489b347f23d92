#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them: one JSON line per case with the
# median of five runs. Arguments go to every benchmark executable, for example
#   scripts/bench.sh --benchmark_filter='/10000($|/)'
# BENCH="bench_archive bench_gerber" limits the executables.
#
#   scripts/bench.sh --targets [--benchmark_repetitions=N]
# runs only the cases that have a speed target (undo, recording a step, the
# screen redraw, opening, Gerber export of big boards) and prints a table of
# each median against its target: a ratio of 1 or less meets it. The whole
# process rows time the zelko program itself exporting a generated board of
# 100 000 objects, as many runs as --benchmark_repetitions (5 by default).
# A target written as MS/PER*COUNTER scales with that counter of the case
# (opening is linear in leaf objects).
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
    "bench_archive;BM_ReadGroupedBoard/575000$;BM_ReadGroupedBoard;575000;1500/100000*leaves;open, 575 000 leaf objects in groups"
    "bench_gerber;BM_ExportEveryLayer/100000/[01];BM_ExportEveryLayer;100000/0;3000;Gerber export of every layer, 100 000 objects"
    "bench_gerber;;BM_ExportEveryLayer;100000/1;3000;Gerber X2 export of every layer, 100 000 objects"
    "bench_window;BM_Window;BM_WindowStartUp;100000;1000;window: start-up to the final picture, 100 000 objects"
    "bench_window;;BM_WindowWheelZoom;20000;40;window: wheel notch to the final picture, 20 000 objects"
    "bench_window;;BM_WindowWheelZoom;100000;60;window: wheel notch to the final picture, 100 000 objects"
    "bench_window;;BM_WindowDelete;20000;40;window: Delete of one object, settled, 20 000 objects"
    "bench_window;;BM_WindowDelete;100000;100;window: Delete of one object, settled, 100 000 objects"
    "bench_window;;BM_WindowUndo;20000;40;window: Ctrl+Z of that Delete, settled, 20 000 objects"
    "bench_window;;BM_WindowUndo;100000;100;window: Ctrl+Z of that Delete, settled, 100 000 objects"
    "bench_window;;BM_WindowPan;20000;40;window: Space-drag, release to settled, 20 000 objects"
    "bench_window;;BM_WindowPan;100000;60;window: Space-drag, release to settled, 100 000 objects"
    "bench_check;BM_CheckBoard/(20000|100000)/;BM_CheckBoard;20000;1000;design-rule check, 20 000 objects"
    "bench_check;;BM_CheckBoard;100000;5000;design-rule check, 100 000 objects"
    "zelko;;zelko_export_gerber;classic;3000;zelko export gerber, 100 000 objects, whole process"
    "zelko;;zelko_export_gerber;x2;3000;zelko export gerber --flavour x2, 100 000 objects, whole process"
  )
  repetitions=5
  for arg in "$@"; do
    [[ "$arg" == --benchmark_repetitions=* ]] && repetitions=${arg#*=}
  done
  ((repetitions >= 1)) || repetitions=1
  declare -A filters=()
  for c in "${cases[@]}"; do
    IFS=';' read -r exe filter _ <<<"$c"
    [[ -n "$filter" ]] && filters[$exe]="${filters[$exe]:+${filters[$exe]}|}$filter"
  done
  # shellcheck disable=SC2086
  cmake --build build/release --target ${!filters[*]} zelko >&2
  out=$(mktemp)
  work=$(mktemp -d)
  trap 'rm -f "$out"; rm -rf "$work"' EXIT
  for exe in "${!filters[@]}"; do
    build/release/bench/"$exe" --benchmark_filter="${filters[$exe]}" "$@" >>"$out"
  done

  # The whole process: start, read, rebuild, export, exit. Layers left empty
  # draw a warning on stderr, which is kept only to show when a run fails.
  zelko=build/release/cli/zelko
  "$zelko" -q generate-board 100000 -o "$work/board.vbf"
  for flavour in classic x2; do
    runs=()
    for ((i = 0; i < repetitions; ++i)); do
      rm -rf "$work/gerber"
      start=$(date +%s%N)
      if ! "$zelko" -q export gerber "$work/board.vbf" -o "$work/gerber" --flavour "$flavour" 2>"$work/stderr"; then
        cat "$work/stderr" >&2
        echo "bench.sh: zelko export gerber --flavour $flavour failed" >&2
        exit 1
      fi
      end=$(date +%s%N)
      runs+=("$(((end - start) / 1000))")
    done
    median=$(printf '%s\n' "${runs[@]}" | sort -n | awk '{ v[NR] = $1 } END { printf "%.6g", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) / 1000 }')
    printf '{"name":"zelko_export_gerber","n":100000,"args":"%s","median":%s,"unit":"ms"}\n' "$flavour" "$median" >>"$out"
  done

  printf '%-66s %12s %10s %7s\n' "case" "median (ms)" "target" "ratio"
  for c in "${cases[@]}"; do
    IFS=';' read -r _ _ name args target what <<<"$c"
    line=$(grep -F "\"name\":\"$name\"" "$out" | grep -F "\"args\":\"$args\"" | head -1 || true)
    median=$(sed -n 's/.*"median":\([^,}]*\)[,}].*/\1/p' <<<"$line")
    if [[ "$target" == */*\** ]]; then
      # MS/PER*COUNTER: the target grows with the case's counter.
      counter=$(sed -n "s/.*\"${target#*\*}\":\([^,}]*\).*/\1/p" <<<"$line")
      target=$(awk -v t="$target" -v c="${counter:-0}" 'BEGIN { split(t, p, /[\/*]/); printf "%.0f", p[1] / p[2] * c }')
      [[ -n "$counter" ]] || target="-"
    fi
    if [[ -z "$median" || "$target" == "-" ]]; then
      printf '%-66s %12s %10s %7s\n' "$what" "${median:--}" "$target" "-"
    else
      awk -v w="$what" -v m="$median" -v t="$target" 'BEGIN { printf "%-66s %12.1f %10s %7.2f\n", w, m, t, m / t }'
    fi
  done
  exit 0
fi

targets=${BENCH:-$(sed -n 's/^zelko_add_bench(\(bench_[a-z_]*\).*/\1/p' bench/CMakeLists.txt | tr '\n' ' ') bench_window}
# shellcheck disable=SC2086
cmake --build build/release --target $targets >&2
for t in $targets; do
  build/release/bench/"$t" "$@"
done
