#!/usr/bin/env bash
# Installs into a fresh prefix, builds a MIME database from the installed type
# and shared-mime-info's own, and asks xdg-mime what our sample files are.
# Usage: check-mime.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in update-mime-database xdg-mime gio iconv; do
    command -v $tool >/dev/null || fail "$tool is missing; run scripts/install-deps.sh test"
done
base=/usr/share/mime/packages/freedesktop.org.xml
[ -f "$base" ] || fail "no $base; run scripts/install-deps.sh test"

prefix=$work/usr
cmake --install "$build" --prefix "$prefix" >/dev/null
ours=application/x-moho-switch
[ -f "$prefix/share/mime/packages/mouthkey.xml" ] || fail "mouthkey.xml is not installed"

# Only the installed tree and the base types, so that whatever else this
# machine has installed cannot change the answers.
cp "$base" "$prefix/share/mime/packages/"
export XDG_DATA_DIRS=$prefix/share XDG_DATA_HOME=$work/home
update-mime-database "$prefix/share/mime" || fail "update-mime-database rejected the tree"
# Text editors are offered for it, and shown with a text file's icon.
grep -qx "$ours text/plain" "$prefix/share/mime/subclasses" || fail "$ours is not a kind of text/plain"
grep -qx "$ours:text-x-generic" "$prefix/share/mime/generic-icons" || fail "$ours has no text icon"
# With no desktop, xdg-mime asks file(1), which ignores this database;
# GNOME's way asks GIO, which reads it.
export XDG_CURRENT_DESKTOP=GNOME

samples=$work/samples
mkdir "$samples"
take=$'MohoSwitch1\n1 rest\n5 E\n9 rest\n'
encode() { printf '\xEF\xBB\xBF%s' "$take" | iconv -f UTF-8 -t "$1"; }
printf '%s' "$take" >"$samples/take.dat"
printf '%s' "$take" >"$samples/take.lipsync"
printf '%s' "$take" >"$samples/take"
printf '\xEF\xBB\xBF%s' "$take" >"$samples/utf8-bom.lipsync"
for e in UTF-16LE UTF-16BE UTF-32LE UTF-32BE; do encode $e >"$samples/$e.lipsync"; done
# UTF-16 without a mark, which Mouthkey reads too.
for e in UTF-16LE UTF-16BE; do printf '%s' "$take" | iconv -f UTF-8 -t $e >"$samples/$e-bare.lipsync"; done
printf 'shopping list\neggs\n' >"$samples/notes.dat"
head -c 256 /dev/zero >"$samples/blob.dat" # not text, no header
printf 'shopping list\neggs\n' >"$samples/notes"
printf '# MohoSwitch1\n1 rest\n' >"$samples/commented"

# expect FILE TYPE: the type xdg-mime gives FILE.
failures=0
expect() {
    local got
    got=$(xdg-mime query filetype "$samples/$1" </dev/null 2>&1) || true
    if [ "$got" != "$2" ]; then
        echo "FAIL: $1 is typed '$got', not $2" >&2
        failures=$((failures + 1))
    fi
}
expect take.dat $ours
expect take.lipsync $ours # by the header line alone
expect take $ours
expect utf8-bom.lipsync $ours
for e in UTF-16LE UTF-16BE UTF-32LE UTF-32BE; do expect $e.lipsync $ours; done
for e in UTF-16LE UTF-16BE; do expect $e-bare.lipsync $ours; done
expect notes.dat $ours # no other type claims .dat here
expect notes text/plain
expect commented text/plain # the header must start the file

# Another program's type that claims .dat with the usual weight: it wins
# where the name is all there is, the header line still wins for us.
mkdir -p "$XDG_DATA_HOME/mime/packages"
cat >"$XDG_DATA_HOME/mime/packages/other.xml" <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<mime-info xmlns="http://www.freedesktop.org/standards/shared-mime-info">
  <mime-type type="application/x-other-data">
    <comment>Another program's data</comment>
    <glob pattern="*.dat"/>
  </mime-type>
</mime-info>
EOF
update-mime-database "$XDG_DATA_HOME/mime" || fail "update-mime-database rejected the other type"
expect blob.dat application/x-other-data
expect take.dat $ours

[ "$failures" -eq 0 ] || fail "$failures sample(s) typed wrongly"
echo "MIME type OK"
