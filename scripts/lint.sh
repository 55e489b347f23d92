#!/usr/bin/env bash
# Checks the tree's habits: every tracked C++ file formatted as .clang-format
# says, and no clang-tidy finding (.clang-tidy) in the project's own sources.
#   scripts/lint.sh [BUILD_DIR]    BUILD_DIR holds compile_commands.json (default build/debug)
# The tools are pinned to LLVM 14, Debian 12's, so every machine formats alike.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$here/build/debug}" && pwd)"
cd "$here"

pick() {  # the versioned name first; the plain one only when it is version 14
    local tool="$1"
    if command -v "$tool-14" >/dev/null; then
        echo "$tool-14"
    elif command -v "$tool" >/dev/null && "$tool" --version 2>/dev/null | grep -q 'version 14\.'; then
        echo "$tool"
    else
        echo "lint: $tool 14 not found (scripts/setup.sh installs it)" >&2
        return 1
    fi
}
format="$(pick clang-format)"
tidy="$(pick clang-tidy)"
runtidy="$(pick run-clang-tidy)"
applyfix="$(pick clang-apply-replacements)"

if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t sources < <(git ls-files '*.cpp' '*.h')
else
    mapfile -t sources < <(find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sed 's|^\./||' | sort)
fi
status=0

# One clang-format run for the whole list; its errors name the files.
mapfile -t unformatted < <("$format" --dry-run -Werror "${sources[@]}" 2>&1 |
    sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: error:.*/\1/p' | sort -u)
if [ ${#unformatted[@]} -gt 0 ]; then
    echo "lint: ${#unformatted[@]} file(s) not formatted:" >&2
    printf '  %s\n' "${unformatted[@]}" >&2
    echo "lint: scripts/format.sh formats them in place" >&2
    status=1
fi

if [ ! -f "$build/compile_commands.json" ]; then
    echo "lint: no $build/compile_commands.json (configure with CMAKE_EXPORT_COMPILE_COMMANDS=ON and build)" >&2
    exit 1
fi
# The compile database carries the GCC build's -Werror; clang's own warnings are
# not GCC's and not the agreed set, so they stay warnings, and hidden (.clang-tidy
# enables no clang-diagnostic-*). What clang cannot compile is still an error.
# The folders that hold tracked sources: their files are checked, headers
# included from them reported; the build folder (Qt's generated code) is not.
# The tests are left to the format check: they are half of clang-tidy's time
# (gtest's and Qt Test's headers) for findings that cannot reach a user.
folders="$(printf '%s\n' "${sources[@]}" | sed -n 's|^\([^/]*\)/.*|\1|p' | grep -vx tests | sort -u | paste -sd'|')"
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
if ! "$runtidy" -clang-tidy-binary "$(command -v "$tidy")" \
        -clang-apply-replacements-binary "$(command -v "$applyfix")" \
        -p "$build" -quiet -j"$(nproc)" -extra-arg=-Wno-error \
        -header-filter="^$here/($folders)/" \
        "^$here/($folders)/.*\.cpp\$" >"$log" 2>&1; then
    # Only the findings and the lines under them; not the per-file command lines
    # and "N warnings generated" counts run-clang-tidy prints.
    # run-clang-tidy always asks for colours; a log file gets plain text.
    if [ -t 2 ]; then plain=(cat); else plain=(sed 's/\x1b\[[0-9;]*m//g'); fi
    "${plain[@]}" "$log" |
        grep -v -E '^([^ ]*clang-tidy(-[0-9]+)? |[0-9]+ warnings? (and [0-9]+ errors? )?generated\.)' >&2 || true
    # A header's finding shows once per file that includes it: the list, once each.
    echo "lint: clang-tidy findings (.clang-tidy lists the checks):" >&2
    sed 's/\x1b\[[0-9;]*m//g' "$log" |
        sed -n 's|^'"$here"'/\([^:]*:[0-9]*\):[0-9]*: [a-z]*: .*\[\([a-z0-9.-]*\).*\]$|  \1 \2|p' | sort -u >&2
    status=1
fi
exit $status
