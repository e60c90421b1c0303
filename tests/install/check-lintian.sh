#!/usr/bin/env bash
# Builds both Debian packages and has lintian check them: no error and no
# warning may remain. Informational tags are shown, not failed on.
# Usage: check-lintian.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build=$1 version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

command -v lintian >/dev/null || fail "lintian is missing; run scripts/install-deps.sh test"
(cd "$build" && cpack -G DEB -B "$work/out" >/dev/null) || fail "cpack failed"
arch=$(dpkg --print-architecture)
debs=()
for name in mouthkey-convert mouthkey; do
    deb="$work/out/${name}_${version}_${arch}.deb"
    [ -f "$deb" ] || fail "no $(basename "$deb")"
    debs+=("$deb")
done

# lintian warns against running as root, which CI does: drop to nobody then.
as_user=()
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
    chmod 755 "$work" "$work/out"
    mkdir -m 777 "$work/home"
    as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups env HOME="$work/home")
fi

# From the work folder: as nobody, the test's own folder may be out of reach
# (a checkout under /root).
status=0
report=$(cd "$work" && "${as_user[@]}" lintian --fail-on error,warning --display-info "${debs[@]}" 2>&1) || status=$?
[ -n "$report" ] && echo "$report"
[ "$status" -eq 0 ] || fail "lintian exited with $status"
if echo "$report" | grep -qE '^[EW]: '; then
    fail "lintian reported errors or warnings"
fi
echo "lintian: no errors or warnings in $(basename -a "${debs[@]}" | tr '\n' ' ')"
