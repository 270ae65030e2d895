#!/usr/bin/env bash
# Formatting is policy: any difference from .clang-format in the C and C++ sources of the module, the stand-in,
# the tests and the tools fails. Versions of clang-format format differently, so the check runs the one version
# the project is formatted with, the one scripts/install-deps.sh installs.
# Usage: scripts/check-format.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/tool-versions.sh

tool="clang-format-$MIREL_CLANG_FORMAT_VERSION"
if ! command -v "$tool" >/dev/null; then
    found=$(command -v clang-format >/dev/null && clang-format --version || echo "none")
    echo "check-format: needs $tool (Debian package $tool, installed by scripts/install-deps.sh);" \
        "found clang-format: $found" >&2
    exit 1
fi

mode=(--dry-run --Werror)
[ "${1:-}" = --fix ] && mode=(-i)
mapfile -t folders < <(scripts/source-folders.sh all)
find "${folders[@]}" \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) -print0 | xargs -0 "$tool" "${mode[@]}"
