#!/usr/bin/env bash
# Builds the Linux module, the stand-in host and the Windows module, and runs every test.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test
jobs="$(nproc)"

# Formatting is policy: any difference from .clang-format in the module's, the stand-in's, the tests' or the
# tools' C and C++ sources fails the run.
find support host framework text records ui engine plugin contract platform standin tests fuzz bench \
    \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) -print0 | xargs -0 clang-format --dry-run --Werror

cmake --preset default -DBUILD_TESTING=ON
cmake --build --preset default -j"$jobs"
ctest --preset default -j"$jobs"

cmake --preset asan
cmake --build --preset asan -j"$jobs"
ctest --preset asan -j"$jobs"

# The readers of host data and the tag removal under libFuzzer, a short run each from the seed corpus.
cmake --preset fuzz
cmake --build --preset fuzz -j"$jobs"
ctest --preset fuzz

# The Windows module and FINALE.EXE, and their tests under Wine and Xvfb (tests/windows/): the 32-bit build (the
# product) and the 64-bit test build. The comparisons with Linux run the stand-in built above. A machine that
# cannot start 32-bit programs skips the 32-bit runs (ctest lists them as skipped); the 64-bit ones run anywhere.
for kind in win32 win64; do
    cmake --preset "$kind" -DMIREL_LINUX_STANDIN="$PWD/build/mirel-standin"
    cmake --build --preset "$kind" -j"$jobs"
    # The release (zip, installer, checksums) of the product, which the win32 tests check.
    if [ "$kind" = win32 ]; then cmake --build --preset win32 --target package; fi
    tests/check_windows_module.sh "build-$kind/mirelinstrumentchange.fxt" "$kind"
    ctest --test-dir "build-$kind" --output-on-failure --no-tests=error -j"$jobs"
done

# Which Windows runs this machine made, in one line.
describe_run() {
    local kind="$1" what="$2" reason
    if reason=$(WINEARCH="$kind" scripts/wine-env.sh "build-$kind/wine" probe); then
        echo "$what: run"
    else
        echo "$what: skipped, $reason"
    fi
}
echo "Windows runs on this machine: $(describe_run win64 "64-bit test build under 64-bit Wine");" \
    "$(describe_run win32 "32-bit module (the product) under 32-bit Wine")."
