#!/usr/bin/env bash
# Line and branch coverage of the module by the unit and end-to-end tests, per layer, then the lines and the
# branches no test reached, as file:line with the source text.
#
#   scripts/coverage.sh [--layer NAME]... [--summary] [--no-run]
#
#   --layer NAME   only this layer (may repeat; the layers are the folders scripts/source-folders.sh module prints)
#   --summary      only the per-layer table
#   --no-run       report from the last run's profiles, without building or testing
#
# Builds the preset `coverage` (clang, build-coverage/, the module's layers and the test programs instrumented),
# runs `ctest --preset coverage`, merges the profiles every test process wrote (the preset's LLVM_PROFILE_FILE:
# one file per instrumented binary, into which each process merges its counters) and reports with
# scripts/coverage-report.py. The stand-in and the tests themselves are left out of the figures. The merged
# profile (build-coverage/coverage.profdata) serves llvm-cov by hand, e.g. `llvm-cov show -format=html`.
set -euo pipefail
cd "$(dirname "$0")/.."

report_options=()
run=true
while [ $# -gt 0 ]; do
    case "$1" in
    --layer)
        [ $# -ge 2 ] || { echo "coverage: --layer needs a layer name" >&2; exit 2; }
        report_options+=(--layer "$2")
        shift
        ;;
    --summary) report_options+=(--summary) ;;
    --no-run) run=false ;;
    *)
        echo "usage: scripts/coverage.sh [--layer NAME]... [--summary] [--no-run]" >&2
        exit 2
        ;;
    esac
    shift
done
tree=build-coverage

# The LLVM tools of the clang that builds the tree: profiles are not readable across LLVM versions.
version=$(clang++ -dumpversion | cut -d. -f1)
tool() {
    if command -v "$1-$version" >/dev/null; then echo "$1-$version"; else echo "$1"; fi
}
profdata=$(tool llvm-profdata)
cov=$(tool llvm-cov)

if $run; then
    launcher=()
    if command -v ccache >/dev/null; then
        launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
        export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
    fi
    scripts/configure-preset.sh coverage "${launcher[@]}"
    cmake --build --preset coverage -j"$(nproc)"
    # Profiles of an earlier run would be merged into this one's.
    rm -rf "$tree/profiles"
    ctest --preset coverage -j"$(nproc)" >"$tree/ctest.log" ||
        { tail -n 30 "$tree/ctest.log"; echo "coverage: tests failed (all of it in $tree/ctest.log)" >&2; exit 1; }
    tail -n 3 "$tree/ctest.log"
fi

shopt -s nullglob
profiles=("$tree"/profiles/*.profraw)
[ ${#profiles[@]} -gt 0 ] || { echo "coverage: no profiles in $tree/profiles; run without --no-run" >&2; exit 1; }
binaries=("$tree/tests/mirel_unit_tests" "$tree/tests/mirel_e2e_tests" "$tree/mirelinstrumentchange.fxt")
newest_profile=${profiles[0]}
for profile in "${profiles[@]}"; do
    if [ "$profile" -nt "$newest_profile" ]; then newest_profile=$profile; fi
done
for binary in "${binaries[@]}"; do
    [ "$binary" -ot "$newest_profile" ] ||
        { echo "coverage: $binary was built after the last run; run without --no-run" >&2; exit 1; }
done
"$profdata" merge -sparse -o "$tree/coverage.profdata" "${profiles[@]}"

# Inline code that one object compiled and another only declared leaves a record without counters, which llvm-cov
# calls mismatched data; the compiled copy carries the counts, so its warning is dropped.
"$cov" export -format=text -instr-profile="$tree/coverage.profdata" "${binaries[0]}" \
    -object "${binaries[1]}" -object "${binaries[2]}" \
    2> >(grep -v "functions have mismatched data" >&2) |
    python3 scripts/coverage-report.py . "${report_options[@]}"
