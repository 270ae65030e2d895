#!/usr/bin/env bash
# Functions stay short enough to hold in one's head: any function of the module or the stand-in longer than
# 60 lines, from the start to the end line Universal Ctags gives it, fails the check and is listed.
set -euo pipefail
cd "$(dirname "$0")/.."
limit=60

if ! ctags --version 2>/dev/null | grep -q 'Universal Ctags'; then
    echo "check-function-length: needs Universal Ctags (Debian package universal-ctags)" >&2
    exit 1
fi
mapfile -t folders < <(scripts/source-folders.sh code)
long=$(ctags --fields=+ne --kinds-C++=f --kinds-C=f --output-format=u-ctags -R -o - "${folders[@]}" |
    awk -F'\t' -v limit="$limit" '{
        start = ""; end = ""
        for (i = 4; i <= NF; i++) {
            if ($i ~ /^line:/) start = substr($i, 6)
            if ($i ~ /^end:/) end = substr($i, 5)
        }
        if (start != "" && end != "" && end - start + 1 > limit) printf "%s:%s %s: %d lines\n", $2, start, $1, end - start + 1
    }')
if [ -n "$long" ]; then
    echo "Functions over $limit lines:" >&2
    echo "$long" >&2
    exit 1
fi
