#!/usr/bin/env bash
# Builds the Debian package and checks its metadata, its contents, and that
# the converter runs from the unpacked tree. Installs nothing system-wide.
# Usage: check-deb.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1 source=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null) || fail "cpack failed"
deb="$work/out/mouthkey_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); found: $(ls "$work/out")"

info=$(dpkg-deb --info "$deb")
field() { echo "$info" | sed -n "s/^ $1: //p"; }
[ "$(field Package)" = mouthkey ] || fail "package name"
[ "$(field Version)" = "$version" ] || fail "version is '$(field Version)'"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
[ "$(field Section)" = graphics ] || fail "section is '$(field Section)'"
[ -n "$(field Description)" ] || fail "no description"
# Computed from the binaries, so the Qt libraries they link must appear.
field Depends | grep -q 'libqt6core6' || fail "Depends was not computed from the binaries: $(field Depends)"
field Depends | grep -q 'libqt6widgets6' || fail "Depends lacks Qt Widgets: $(field Depends)"

contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for f in ./usr/bin/mouthkey ./usr/bin/mouthkey-convert \
         ./usr/share/applications/mouthkey.desktop \
         ./usr/share/icons/hicolor/scalable/apps/mouthkey.svg \
         ./usr/share/icons/hicolor/256x256/apps/mouthkey.png \
         ./usr/share/man/man1/mouthkey-convert.1 \
         ./usr/share/doc/mouthkey/LICENSE; do
    echo "$contents" | grep -qxF "$f" || fail "$f is missing from the package"
done

dpkg-deb -x "$deb" "$work/root"
out=$("$work/root/usr/bin/mouthkey-convert" --version)
echo "$out" | grep -qF "$version" || fail "unpacked converter printed '$out'"
"$work/root/usr/bin/mouthkey-convert" --fps 25 "$source/samples/every-phoneme.dat" -o "$work/doc.txt"
grep -q "Units Per Second	25" "$work/doc.txt" || fail "unpacked converter wrote a wrong document"

echo "package $(basename "$deb") OK"
