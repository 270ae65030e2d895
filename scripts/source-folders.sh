#!/usr/bin/env bash
# Prints the project's source folders, one per line, from the one list the build keeps: the module's layers in
# cmake/ModuleLayers.cmake (bottom to top), and beside them the stand-in and the test code.
# Usage: scripts/source-folders.sh module|code|all
#   module  each layer's own folder, the binary contract's left out (support host framework ... plugin)
#   code    the module and the stand-in: the code the function-length policy holds
#   all     every C and C++ source folder: the module with the contract and the platform subset, the stand-in,
#           the tests, the fuzzers and the benchmark
set -euo pipefail
cd "$(dirname "$0")/.."
layers() { sed -n 's/^mirel_layer(\([a-z]*\) .*FOLDERS \([a-z]*\).*/\1 \2/p' cmake/ModuleLayers.cmake; }
case "${1:-}" in
module) layers | awk '$1 != "contract" { print $2 }' ;;
code) { layers | awk '$1 != "contract" { print $2 }'; echo standin; } ;;
all) { sed -n 's/^mirel_layer(.*FOLDERS \([a-z ]*\).*/\1/p' cmake/ModuleLayers.cmake | tr ' ' '\n' |
    awk 'NF && !seen[$0]++'; printf '%s\n' standin tests fuzz bench; } ;;
*)
    echo "usage: scripts/source-folders.sh module|code|all" >&2
    exit 2
    ;;
esac
