#!/usr/bin/env bash
# Formats every tracked C++ file in place as .clang-format says, with clang-format 14
# (Debian 12's), the version scripts/lint.sh checks with.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
if command -v clang-format-14 >/dev/null; then
    format=clang-format-14
elif clang-format --version 2>/dev/null | grep -q 'version 14\.'; then
    format=clang-format
else
    echo "format: clang-format 14 not found (scripts/setup.sh installs it)" >&2
    exit 1
fi
git ls-files -z '*.cpp' '*.h' | xargs -0 "$format" -i
