#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, skipping those already installed.
# Usage: scripts/install-deps.sh run|quick|test|bench
#   run    build the module and the stand-in (./run.sh)
#   quick  also the unit and end-to-end tests and the format check (./test.sh --quick)
#   test   everything ./test.sh builds and runs: sanitizers and fuzzers, the Windows builds, Wine
#   bench  what bench/run.sh needs beside the build
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/tool-versions.sh
mode="${1:-test}"

packages=(cmake ninja-build g++ pkg-config nlohmann-json3-dev libcli11-dev libfmt-dev)
case "$mode" in
quick | test)
    packages+=(libgtest-dev libgmock-dev)
    # The report test renders the report with Chromium and reads the picture with ImageMagick.
    packages+=(chromium imagemagick)
    # The format check and the function-length check (Universal Ctags).
    packages+=("clang-format-$MIREL_CLANG_FORMAT_VERSION" universal-ctags)
    ;;
esac
if [ "$mode" = test ]; then
    # The sanitizers and the fuzzers build with clang; their runtimes come with the clang version installed
    # (added below, once clang is there).
    packages+=(clang)
    # The Windows module and FINALE.EXE, 32-bit (the product) and 64-bit (the test build).
    packages+=(g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64)
    # The Windows stand-in host and module run under Wine (32-bit and 64-bit) with an X server of their own;
    # xwininfo (x11-utils) tells when the dialog's window is up for its picture.
    packages+=(wine wine64 wine32:i386 xvfb xauth x11-utils fonts-wine)
    # The release package's installer is built with NSIS (makensis).
    packages+=(nsis)
fi
# bench/run.sh draws its plot with gnuplot and counts the module's instructions with valgrind (callgrind).
if [ "$mode" = bench ]; then
    packages+=(gnuplot-nox valgrind)
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

install() {
    local missing=() p sudo_cmd=""
    for p in "$@"; do installed "$p" || missing+=("$p"); done
    [ "${#missing[@]}" -gt 0 ] || return 0
    echo "Installing: ${missing[*]}"
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    # wine32:i386 comes from the i386 architecture, which has to be added before the package lists are read.
    if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo_cmd dpkg --add-architecture i386
    fi
    update_lists
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
}

# A mirror in the middle of a sync serves some index files that do not match their release file; apt then keeps
# the lists it had. A few tries, then the run goes on with what was read: a package it lacks fails its install.
update_lists() {
    local try
    for try in 1 2 3; do
        $sudo_cmd apt-get update -qq && return 0
        echo "install-deps: apt-get update failed (try $try of 3)" >&2
        sleep $((try * 5))
    done
    echo "install-deps: going on with the package lists that could be read" >&2
}

# 32-bit Wine is the one package a machine may be unable to install (no i386 architecture, or a mirror whose
# i386 lists do not match the rest); without it the 32-bit Windows tests skip and say so, as on a machine that
# cannot start 32-bit programs.
optional_wine32() {
    if ! install wine32:i386; then
        echo "install-deps: wine32:i386 could not be installed; the 32-bit Windows tests will be skipped" >&2
    fi
}

packages_without_wine32=()
for p in "${packages[@]}"; do [ "$p" = wine32:i386 ] || packages_without_wine32+=("$p"); done
install "${packages_without_wine32[@]}"
[ "${#packages_without_wine32[@]}" = "${#packages[@]}" ] || optional_wine32
if [ "$mode" = test ]; then
    # The sanitizer and libFuzzer runtimes of the clang that is installed, whichever version that is.
    install "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
fi
