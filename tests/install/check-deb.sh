#!/usr/bin/env bash
# Builds the two Debian packages in one cpack run and checks their metadata,
# their contents, and that the converter runs from the unpacked tree.
# Installs nothing system-wide.
# Usage: check-deb.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1 source=$2 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null) || fail "cpack failed"
arch=$(dpkg --print-architecture)
debs=$(cd "$work/out" && ls ./*.deb)
[ "$(echo "$debs" | wc -l)" -eq 2 ] || fail "expected two packages; found: $debs"

# check_package NAME: metadata shared by both packages.
check_package() {
    deb="$work/out/${1}_${version}_${arch}.deb"
    [ -f "$deb" ] || fail "no $(basename "$deb"); found: $debs"
    info=$(dpkg-deb --info "$deb")
    [ "$(field Package)" = "$1" ] || fail "package name is '$(field Package)'"
    [ "$(field Version)" = "$version" ] || fail "version is '$(field Version)'"
    [ -n "$(field Maintainer)" ] || fail "no maintainer"
    [ "$(field Section)" = graphics ] || fail "section is '$(field Section)'"
    [ -n "$(field Description)" ] || fail "no description"
    # Computed from the binaries, so the Qt libraries they link must appear.
    field Depends | grep -q 'libqt6core6' || fail "$1: Depends was not computed from the binaries: $(field Depends)"
    contents=$(dpkg-deb --contents "$deb" | awk '{print $6}')
}
field() { echo "$info" | sed -n "s/^ $1: //p"; }
has() {
    for f in "$@"; do
        echo "$contents" | grep -qxF "$f" || fail "$f is missing from $(basename "$deb")"
    done
}
lacks() {
    for f in "$@"; do
        ! echo "$contents" | grep -qxF "$f" || fail "$f should not be in $(basename "$deb")"
    done
}

check_package mouthkey-convert
# A machine without a display gets the converter without the GUI libraries.
if field Depends | grep -qE 'libqt6(gui|widgets|svg|multimedia)6|libx|libgl|gstreamer'; then
    fail "the converter package pulls in graphics libraries: $(field Depends)"
fi
has ./usr/bin/mouthkey-convert ./usr/share/man/man1/mouthkey-convert.1.gz \
    ./usr/share/doc/mouthkey-convert/copyright ./usr/share/doc/mouthkey-convert/changelog.gz
lacks ./usr/bin/mouthkey
dpkg-deb -x "$deb" "$work/root"

check_package mouthkey
field Depends | grep -q 'libqt6widgets6' || fail "Depends lacks Qt Widgets: $(field Depends)"
field Depends | grep -qF "mouthkey-convert (= $version)" || fail "mouthkey does not depend on this mouthkey-convert: $(field Depends)"
field Recommends | grep -qw 'qt6-wayland' || fail "mouthkey does not recommend qt6-wayland: $(field Recommends)"
# Playing a take: Qt Multimedia by shlibdeps, its GStreamer plug-ins recommended.
field Depends | grep -q 'libqt6multimedia6' || fail "Depends lacks Qt Multimedia: $(field Depends)"
for plugins in gstreamer1.0-plugins-base gstreamer1.0-plugins-good; do
    field Recommends | grep -qw "$plugins" || fail "mouthkey does not recommend $plugins: $(field Recommends)"
done
has ./usr/bin/mouthkey \
    ./usr/share/applications/app.mouthkey.Mouthkey.desktop \
    ./usr/share/mime/packages/mouthkey.xml \
    ./usr/share/metainfo/app.mouthkey.Mouthkey.metainfo.xml \
    ./usr/share/icons/hicolor/scalable/apps/mouthkey.svg \
    ./usr/share/icons/hicolor/256x256/apps/mouthkey.png \
    ./usr/share/man/man1/mouthkey.1.gz \
    ./usr/share/doc/mouthkey/LICENSE ./usr/share/doc/mouthkey/copyright \
    ./usr/share/doc/mouthkey/changelog.gz
lacks ./usr/bin/mouthkey-convert ./usr/share/man/man1/mouthkey-convert.1.gz

out=$("$work/root/usr/bin/mouthkey-convert" --version)
echo "$out" | grep -qF "$version" || fail "unpacked converter printed '$out'"
"$work/root/usr/bin/mouthkey-convert" --fps 25 "$source/samples/every-phoneme.dat" -o "$work/doc.txt"
grep -q "Units Per Second	25" "$work/doc.txt" || fail "unpacked converter wrote a wrong document"

echo "packages $(echo $debs | tr '\n' ' ') OK"
