#!/usr/bin/env bash
# The Windows module: a DLL with the seven undecorated exports, only system DLL imports, and its resources
# (dialog 20128, the version block, the manifest). Usage: check_windows_module.sh MODULE [win32|win64]
#   win32 (the default): the product, a PE32 i686 DLL; win64: the 64-bit test build, a PE32+ x86-64 DLL.
set -euo pipefail
module="$1"
kind="${2:-win32}"
case "$kind" in
win32) objdump=i686-w64-mingw32-objdump format=pei-i386 ;;
win64) objdump=x86_64-w64-mingw32-objdump format=pei-x86-64 ;;
*) echo "unknown kind: $kind (win32 or win64)"; exit 2 ;;
esac
dump=$($objdump -p "$module")
fail=0

grep -q "file format $format\$" <<<"$dump" || { echo "not a $format file"; fail=1; }
for name in FinaleExtensionVersion FinaleExtensionInit FinaleExtensionEnumerate FinaleExtensionEnumerate_UTF16 \
            FinaleExtensionInvoke FinaleExtensionGetMenuStatus FinaleExtensionTerminate; do
    grep -Eq "^[[:space:]]+\[[ 0-9]+\] $name\$" <<<"$dump" ||
        { echo "export $name missing or decorated"; fail=1; }
done
exports=$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | grep -Ec '^[[:space:]]+\[[ 0-9]+\] ' || true)
[ "$exports" -eq 7 ] || { echo "expected 7 exports, found $exports"; fail=1; }

# Shipped without debug sections; they are kept beside the module in MODULE.debug.
debug_sections=$($objdump -h "$module" | awk '$2 ~ /^\.(debug|zdebug)/ {print $2}' | tr '\n' ' ')
[ -z "$debug_sections" ] || { echo "debug sections in the module: $debug_sections"; fail=1; }
[ -s "$module.debug" ] || { echo "no debug file $module.debug beside the module"; fail=1; }

imports=$(echo "$dump" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
for dll in $imports; do
    case "$dll" in
        kernel32.dll|user32.dll|msvcrt.dll|advapi32.dll|api-ms-win-*) ;;
        *) echo "unexpected import: $dll"; fail=1 ;;
    esac
done

# The resource directory: type 5 (dialog) 20128, type 16 (version) 1, type 24 (manifest) 2, and their texts.
python3 - "$module" <<'PY' || fail=1
import struct, sys
data = open(sys.argv[1], 'rb').read()
pe = struct.unpack_from('<I', data, 0x3C)[0]
nsec = struct.unpack_from('<H', data, pe + 6)[0]
optsize = struct.unpack_from('<H', data, pe + 20)[0]
sec = pe + 24 + optsize
rsrc = None
for i in range(nsec):
    name = data[sec + 40*i: sec + 40*i + 8].rstrip(b'\0')
    va, size, raw = struct.unpack_from('<III', data, sec + 40*i + 12)
    if name == b'.rsrc':
        rsrc = (va, raw)
if rsrc is None:
    print('no .rsrc section'); sys.exit(1)
va, raw = rsrc
def entries(off):
    named, ids = struct.unpack_from('<HH', data, raw + off + 12)
    for i in range(named + ids):
        name, target = struct.unpack_from('<II', data, raw + off + 16 + 8*i)
        yield name, target
found = {}
for type_id, t in entries(0):
    for name_id, n in entries(t & 0x7FFFFFFF):
        found.setdefault(type_id, []).append(name_id)
ok = True
for type_id, name_id, what in [(5, 20128, 'dialog 20128'), (16, 1, 'version block'), (24, 2, 'manifest')]:
    if name_id not in found.get(type_id, []):
        print('missing resource:', what); ok = False
blob = data
for text in ['Mirel Instrument Change plug-in for Finale(R)', 'Mirel Instrument Change', '1.0.5.0', 'asInvoker']:
    if text.encode('utf-16-le') not in blob and text.encode() not in blob:
        print('missing text in resources:', text); ok = False
sys.exit(0 if ok else 1)
PY
[ "$fail" -eq 0 ] && echo "Windows module ($format): 7 undecorated exports, system imports only ($(echo $imports)), resources present"
exit "$fail"
