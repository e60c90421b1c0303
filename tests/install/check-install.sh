#!/usr/bin/env bash
# Installs into a fresh prefix and checks that what a user gets works there.
# Usage: check-install.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1 source=$2 version=$3
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

app_id=app.mouthkey.Mouthkey
for f in bin/mouthkey bin/mouthkey-convert \
         share/applications/$app_id.desktop \
         share/mime/packages/mouthkey.xml \
         share/metainfo/$app_id.metainfo.xml \
         share/icons/hicolor/scalable/apps/mouthkey.svg \
         share/icons/hicolor/256x256/apps/mouthkey.png \
         share/man/man1/mouthkey-convert.1.gz share/man/man1/mouthkey.1.gz \
         share/doc/mouthkey/README.md share/doc/mouthkey/LICENSE \
         share/doc/mouthkey/copyright share/doc/mouthkey/changelog.gz \
         share/doc/mouthkey-convert/copyright share/doc/mouthkey-convert/changelog.gz; do
    [ -e "$prefix/$f" ] || fail "$f is not installed"
done
[ -x "$prefix/bin/mouthkey" ] && [ -x "$prefix/bin/mouthkey-convert" ] || fail "binaries are not executable"

desktop="$prefix/share/applications/$app_id.desktop"
desktop-file-validate "$desktop" || fail "desktop file is invalid"
grep -qx 'Exec=mouthkey %f' "$desktop" || fail "the desktop entry does not pass the chosen file on"
types=$(sed -n 's/^MimeType=//p' "$desktop")
[ -n "$types" ] || fail "the desktop entry names no MimeType"
for type in ${types//;/ }; do
    grep -qF "<mime-type type=\"$type\">" "$prefix/share/mime/packages/mouthkey.xml" \
        || fail "the desktop entry's $type is not defined by the installed mouthkey.xml"
done
file "$prefix/share/icons/hicolor/256x256/apps/mouthkey.png" | grep -q 'PNG image data, 256 x 256' \
    || fail "the bitmap icon is not a 256-pixel PNG"
for page in mouthkey-convert mouthkey; do
    gzip -t "$prefix/share/man/man1/$page.1.gz" || fail "$page.1.gz is not gzip data"
    zcat "$prefix/share/man/man1/$page.1.gz" | grep -q "Mouthkey $version" \
        || fail "man page $page lacks the version"
done
zcat "$prefix/share/doc/mouthkey/changelog.gz" | head -1 | grep -qF "mouthkey ($version)" \
    || fail "the changelog does not start with this version"

# Nothing may point back into the build tree.
if readelf -d "$prefix/bin/mouthkey" "$prefix/bin/mouthkey-convert" | grep -E 'R(UN)?PATH' | grep -qF "$build"; then
    fail "an installed binary still looks into the build tree"
fi

# Run the installed converter with the build tree out of its reach.
out=$(cd / && "$prefix/bin/mouthkey-convert" --version)
echo "$out" | grep -qF "$version" || fail "--version printed '$out', not $version"

sample="$source/samples/hello-world-24fps.dat"
expected=$("$build/cli/mouthkey-convert" --set 3 --fps 25 "$sample" | od -c)
actual=$(cd / && "$prefix/bin/mouthkey-convert" --set 3 --fps 25 "$sample" | od -c)
[ "$actual" = "$expected" ] || fail "the installed converter writes another document"
head -c 37 <("$prefix/bin/mouthkey-convert" "$sample") | grep -qx "Adobe After Effects 8.0 Keyframe Data" \
    || fail "the installed converter's document has the wrong title line"

echo "install tree OK"
