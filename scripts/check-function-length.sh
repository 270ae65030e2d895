#!/usr/bin/env bash
# Functions stay short enough to hold in one's head: any function of the module or the stand-in longer than
# 60 lines, from the start to the end line Universal Ctags gives it, or taking more than five parameters,
# fails the check and is listed. Signatures that the host contract or the Win32 API fix are exempt (listed
# below by name).
set -euo pipefail
cd "$(dirname "$0")/.."
limit=60
max_parameters=5
fixed_signatures="FX_Dialog SetWindowPos"

if ! ctags --version 2>/dev/null | grep -q 'Universal Ctags'; then
    echo "check-function-length: needs Universal Ctags (Debian package universal-ctags)" >&2
    exit 1
fi
mapfile -t folders < <(scripts/source-folders.sh code)
tags=$(ctags --fields=+neS --kinds-C++=fp --kinds-C=fp --output-format=u-ctags -R -o - "${folders[@]}")
long=$(awk -F'\t' -v limit="$limit" '{
        start = ""; end = ""
        for (i = 4; i <= NF; i++) {
            if ($i ~ /^line:/) start = substr($i, 6)
            if ($i ~ /^end:/) end = substr($i, 5)
        }
        if (start != "" && end != "" && end - start + 1 > limit) printf "%s:%s %s: %d lines\n", $2, start, $1, end - start + 1
    }' <<<"$tags")
wide=$(python3 -c '
import re, sys
limit, fixed = int(sys.argv[1]), set(sys.argv[2].split())
for line in sys.stdin:
    fields = line.rstrip("\n").split("\t")
    signature = next((f[len("signature:"):] for f in fields[3:] if f.startswith("signature:")), "")
    if fields[0] in fixed or not signature.startswith("("):
        continue
    inner, previous = signature[1:-1], None
    while previous != inner:  # drop nested template arguments, calls and braces before counting commas
        previous, inner = inner, re.sub(r"<[^<>]*>|\([^()]*\)|\{[^{}]*\}", "", inner)
    count = 0 if inner.strip() in ("", "void") else inner.count(",") + 1
    if count > limit:
        print(f"{fields[1]} {fields[0]}: {count} parameters")
' "$max_parameters" "$fixed_signatures" <<<"$tags" | sort -u)
if [ -n "$long" ]; then
    echo "Functions over $limit lines:" >&2
    echo "$long" >&2
fi
if [ -n "$wide" ]; then
    echo "Functions with more than $max_parameters parameters:" >&2
    echo "$wide" >&2
fi
[ -z "$long" ] && [ -z "$wide" ]
