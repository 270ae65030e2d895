#!/usr/bin/env bash
# Runs a command as on a machine that cannot start 32-bit programs: scripts/without-32-bit.sh COMMAND [ARGS...]
# e.g. scripts/without-32-bit.sh ctest --test-dir build-win64
#
# In a mount namespace of its own (root, unshare from util-linux), the 32-bit Wine loader, the 32-bit
# wineserver and the 32-bit program interpreter are covered with a copy of the loader that names a machine no
# kernel knows, so that starting any of them fails with "Exec format error", as where the kernel has no 32-bit
# support. Nothing outside the command sees the change.
set -euo pipefail
[ $# -ge 1 ] || { echo "usage: scripts/without-32-bit.sh COMMAND [ARGS...]" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "without-32-bit: needs root (a mount namespace)" >&2; exit 2; }

covered=()
for path in /usr/lib/wine/wine /usr/lib/wine/wineserver32 /lib/ld-linux.so.2; do
    [ -e "$path" ] && covered+=("$(readlink -f "$path")")
done
[ "${#covered[@]}" -gt 0 ] || { echo "without-32-bit: no 32-bit Wine or interpreter here to cover" >&2; exit 2; }

refused=$(mktemp)
trap 'rm -f "$refused"' EXIT
cp "${covered[0]}" "$refused"
chmod 755 "$refused"
# e_machine, bytes 18 and 19 of the ELF header: 0xFFFF is no machine.
printf '\xff\xff' | dd of="$refused" bs=1 seek=18 conv=notrunc status=none

unshare --mount --propagation private bash -c '
    refused=$1
    shift
    while [ "$1" != -- ]; do mount --bind "$refused" "$1"; shift; done
    shift
    exec "$@"' bash "$refused" "${covered[@]}" -- "$@"
