#!/usr/bin/env bash
# Configures the build tree of a CMake preset: scripts/configure-preset.sh PRESET [CMAKE ARGS...]
# The presets build with Ninja. A tree that an earlier checkout configured with another generator is configured
# afresh, since CMake refuses to change the generator of a tree.
set -euo pipefail
cd "$(dirname "$0")/.."
preset="$1"
shift
tree="build"
[ "$preset" = default ] || tree="build-$preset"
if [ -f "$tree/CMakeCache.txt" ] && ! grep -qx "CMAKE_GENERATOR:INTERNAL=Ninja" "$tree/CMakeCache.txt"; then
    echo "$tree: configured with another generator; configuring it afresh with Ninja"
    rm -rf "$tree/CMakeCache.txt" "$tree/CMakeFiles"
fi
cmake --preset "$preset" "$@" >/dev/null
