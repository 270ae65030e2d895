#!/usr/bin/env bash
# The release zip of the product, on every machine (no Wine): the files a user gets and nothing else, the module
# the same bytes as the one built, a user guide and notices that say what they must, and checksum files that
# match the zip and the installer. Needs `cmake --build --preset win32 --target package` first.
without_wine=true source "$(dirname "$0")/lib.sh"
need makensis
: "${MIREL_RELEASE_NAME:?}" "${MIREL_OBJDUMP:?}"

cd "$MIREL_BUILD"
zip="$MIREL_RELEASE_NAME.zip"
installer="$MIREL_RELEASE_NAME-setup.exe"
for file in "$zip" "$zip.sha256" "$installer" "$installer.sha256"; do
    [ -f "$file" ] || stop "no $MIREL_BUILD/$file: build the package target first"
done
sha256sum -c "$zip.sha256" "$installer.sha256" || fail "a checksum does not match"
$MIREL_OBJDUMP -f "$installer" | grep -q 'file format pei-i386' || fail "the installer is not a 32-bit Windows program"

(cd "$work" && cmake -E tar xf "$MIREL_BUILD/$zip")
top="$work/$MIREL_RELEASE_NAME"
expected=$(printf '%s\n' README.html THIRD-PARTY-NOTICES.txt dialog.png mirelinstrumentchange.fxt | sort)
found=$(cd "$work" && find . -type f | sed "s#^\./$MIREL_RELEASE_NAME/##" | sort)
[ "$found" = "$expected" ] || fail "the zip holds other files than expected:"$'\n'"$found"

cmp -s "$top/mirelinstrumentchange.fxt" mirelinstrumentchange.fxt || fail "the zip's module is not the one built"
cmp -s "$top/dialog.png" "$MIREL_SOURCE/docs/dialog.png" || fail "the zip's dialog picture is not docs/dialog.png"

# expect_text FILE TEXT: FILE holds TEXT.
expect_text() { grep -Fq -- "$2" "$top/$1" || fail "$1 does not say: $2"; }
version=${MIREL_RELEASE_NAME#mirel-instrument-change-}
version=${version%-win32}
expect_text README.html "<h1>Mirel Instrument Change $version</h1>"
expect_text README.html '<img src="dialog.png"'
expect_text README.html 'C:\Program Files (x86)\Finale 2012\Plug-ins'
expect_text README.html "$installer"
expect_text README.html 'Programs and Features'
expect_text THIRD-PARTY-NOTICES.txt 'GCC RUNTIME LIBRARY EXCEPTION'
expect_text THIRD-PARTY-NOTICES.txt 'Zope Public License 2.1'
# Every line of the notices ends with CR LF, for Notepad.
[ "$(grep -c $'\r$' "$top/THIRD-PARTY-NOTICES.txt")" = "$(wc -l <"$top/THIRD-PARTY-NOTICES.txt")" ] ||
    fail "THIRD-PARTY-NOTICES.txt has lines without CR LF"
finish
