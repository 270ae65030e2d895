#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, skipping those already installed.
# Usage: scripts/install-deps.sh run|test|bench
set -euo pipefail
mode="${1:-test}"

packages=(cmake g++ make pkg-config nlohmann-json3-dev libcli11-dev)
if [ "$mode" = test ]; then
    packages+=(libgtest-dev libgmock-dev g++-mingw-w64-i686-win32 binutils-mingw-w64-i686 chromium imagemagick)
    # The fuzzers build with clang and its sanitizer and libFuzzer runtimes.
    packages+=(clang libclang-rt-14-dev)
    # test.sh checks the sources' formatting.
    packages+=(clang-format)
    # The 64-bit Windows test build, which runs under 64-bit Wine on every machine.
    packages+=(g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64 wine64)
    # The Windows stand-in host and module run under Wine (32-bit and 64-bit) with an X server of their own;
    # xwininfo (x11-utils) tells when the dialog's window is up for its picture.
    packages+=(wine wine32:i386 xvfb xauth x11-utils imagemagick fonts-wine)
    # The release package's installer is built with NSIS (makensis).
    packages+=(nsis)
fi
# bench/run.sh draws its plot with gnuplot.
if [ "$mode" = bench ]; then
    packages+=(gnuplot-nox)
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
    # wine32:i386 comes from the i386 architecture, which has to be added before the package lists are read.
    if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo_cmd dpkg --add-architecture i386
    fi
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
