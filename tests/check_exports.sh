#!/bin/sh
# The module exports the seven entry points and no other function.
set -eu
module="$1"
expected="FinaleExtensionEnumerate
FinaleExtensionEnumerate_UTF16
FinaleExtensionGetMenuStatus
FinaleExtensionInit
FinaleExtensionInvoke
FinaleExtensionTerminate
FinaleExtensionVersion"
actual=$(nm -D --defined-only "$module" | awk '$2 == "T" || $2 == "W" || $2 == "i" { print $3 }' | sort)
if [ "$actual" != "$expected" ]; then
    echo "exported functions differ from the seven entry points:"
    echo "$actual"
    exit 1
fi
echo "seven entry points exported, nothing else"
