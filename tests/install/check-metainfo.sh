#!/usr/bin/env bash
# Installs into a fresh prefix and validates the AppStream metadata there, as
# a software centre would read it, without going online.
# Usage: check-metainfo.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1 version=$3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

command -v appstreamcli >/dev/null || fail "appstreamcli is missing; run scripts/install-deps.sh test"
cmake --install "$build" --prefix "$root/usr" >/dev/null
id=app.mouthkey.Mouthkey
metainfo="$root/usr/share/metainfo/$id.metainfo.xml"
[ -f "$metainfo" ] || fail "no $id.metainfo.xml installed"

appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate rejected the metainfo"
# The tree check also matches the launchable against the installed desktop file.
appstreamcli validate-tree --no-net "$root" || fail "appstreamcli validate-tree rejected the install tree"

grep -qF "<id>$id</id>" "$metainfo" || fail "component id is not $id"
grep -qF "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "no launchable $id.desktop"
[ -f "$root/usr/share/applications/$id.desktop" ] || fail "the launchable's desktop file is not installed"
# The types it says it opens are the ones the desktop entry opens.
mediatypes=$(sed -n 's|^ *<mediatype>\(.*\)</mediatype>$|\1;|p' "$metainfo" | tr -d '\n')
[ -n "$mediatypes" ] || fail "the metainfo provides no mediatype"
[ "$mediatypes" = "$(sed -n 's/^MimeType=//p' "$root/usr/share/applications/$id.desktop")" ] \
    || fail "the metainfo's mediatypes ($mediatypes) are not the desktop entry's MimeType"
grep -qE "<release version=\"$version\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"" "$metainfo" \
    || fail "the release is not $version with a date"
echo "metainfo OK"
