#!/usr/bin/env bash
# Builds the Linux module, the stand-in host and the Windows modules, and runs every test this machine can run.
# Exits non-zero on any failure and ends with a table of how long each stage took.
#
#   ./test.sh            everything: the default build and its tests, the same tests and the fuzzers under
#                        AddressSanitizer and UndefinedBehaviorSanitizer (one clang tree), the 32-bit Windows
#                        module (the product) with its release, and the 64-bit Windows test build with its
#                        installer, each tested under Wine. CI runs this.
#   ./test.sh --quick    the inner loop: the format and function-length checks, the default build and its unit
#                        and end-to-end tests.
#   --no-install         installs nothing (also MIREL_NO_INSTALL=1): for a machine whose packages are in place,
#                        or one where the package manager must not run; a missing package then fails its stage.
set -euo pipefail
cd "$(dirname "$0")"

quick=false
install=true
[ "${MIREL_NO_INSTALL:-0}" = 1 ] && install=false
for arg in "$@"; do
    case "$arg" in
    --quick) quick=true ;;
    --no-install) install=false ;;
    *)
        echo "usage: ./test.sh [--quick] [--no-install]" >&2
        exit 2
        ;;
    esac
done
jobs="$(nproc)"

# ---- Stage times ---------------------------------------------------------------------------------------------
stage_names=()
stage_seconds=()
stage_running=""

# stage NAME COMMAND...: runs COMMAND as one stage of the table.
stage() {
    local name="$1" started=$SECONDS
    shift
    echo "==> $name"
    stage_running="$name"
    "$@"
    stage_running=""
    stage_names+=("$name")
    stage_seconds+=($((SECONDS - started)))
}

print_stages() {
    local status=$? i
    echo
    printf '%-44s %8s\n' "Stage" "Seconds"
    for i in "${!stage_names[@]}"; do
        printf '%-44s %8d\n' "${stage_names[$i]}" "${stage_seconds[$i]}"
    done
    [ -z "$stage_running" ] || printf '%-44s %8s\n' "$stage_running" "failed"
    printf '%-44s %8d\n' "Total" "$SECONDS"
    exit "$status"
}
trap print_stages EXIT

# ---- Build helpers -------------------------------------------------------------------------------------------
# ccache, where the machine has it, serves objects that did not change since an earlier build. Paths are hashed
# relative to this clone, so another clone's objects serve too (not always the batches of sources, which name
# their sources by absolute path); their debug information then names that clone's folder.
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
fi

# configure_and_build PRESET [CMAKE ARGS...]
configure_and_build() {
    local preset="$1"
    shift
    scripts/configure-preset.sh "$preset" "${launcher[@]}" "$@"
    cmake --build --preset "$preset" -j"$jobs"
}

# The Windows module and FINALE.EXE of one kind, with its checks; the comparisons with Linux run the stand-in
# built by the default preset.
build_windows() {
    local kind="$1"
    configure_and_build "$kind" -DMIREL_LINUX_STANDIN="$PWD/build/mirel-standin"
    # The release of the product (zip, installer, checksums), which the tests check. (The 64-bit tree builds
    # the installer's test build with the module.)
    if [ "$kind" = win32 ]; then cmake --build --preset win32 --target package; fi
    tests/check_windows_module.sh "build-$kind/mirelinstrumentchange.fxt" "$kind"
}

# Which Windows runs this machine made, in one line.
describe_run() {
    local kind="$1" what="$2" reason
    if reason=$(WINEARCH="$kind" scripts/wine-env.sh "build-$kind/wine" probe); then
        echo "$what: run"
    else
        echo "$what: skipped, $reason"
    fi
}

# Formatting and function length are policy (scripts/check-format.sh, scripts/check-function-length.sh).
check_style() {
    scripts/check-format.sh
    scripts/check-function-length.sh
}

# ---- The stages ----------------------------------------------------------------------------------------------
if ! $install; then
    echo "==> packages: not installed (--no-install or MIREL_NO_INSTALL=1)"
elif $quick; then
    stage "packages" scripts/install-deps.sh quick
else
    stage "packages" scripts/install-deps.sh test
fi
stage "format and function length" check_style
stage "build: default" configure_and_build default -DBUILD_TESTING=ON
stage "tests: default (unit, end-to-end)" ctest --preset default -j"$jobs"
$quick && exit 0

# The same tests again, and a short run of each fuzzer from its seed corpus, under the sanitizers.
stage "build: asan (clang, sanitizers, fuzzers)" configure_and_build asan
stage "tests: asan (unit, end-to-end, fuzzers)" ctest --preset asan -j"$jobs"

# A machine that cannot start 32-bit programs skips the 32-bit runs (ctest lists them as skipped); the 64-bit
# ones run anywhere.
for kind in win32 win64; do
    stage "build: $kind (module, FINALE.EXE, installer)" build_windows "$kind"
    stage "tests: $kind under Wine" ctest --test-dir "build-$kind" --output-on-failure --no-tests=error -j"$jobs"
done

echo "Windows runs on this machine: $(describe_run win64 "64-bit test build under 64-bit Wine");" \
    "$(describe_run win32 "32-bit module (the product) under 32-bit Wine")."
