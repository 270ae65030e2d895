#!/usr/bin/env bash
# Builds the Linux module, the stand-in host and the Windows module, and runs every test.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh test
jobs="$(nproc)"

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

cmake --preset win32
cmake --build --preset win32 -j"$jobs"
tests/check_windows_module.sh build-win32/mirelinstrumentchange.fxt
# FINALE.EXE and the Windows module under Wine and Xvfb (tests/windows/).
ctest --test-dir build-win32 --output-on-failure --no-tests=error -j"$jobs"
