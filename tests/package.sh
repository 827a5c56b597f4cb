#!/usr/bin/env bash
# Builds the Debian package from the build folder given as $1 and checks what it holds.
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
(cd "$build" && cpack -G DEB -B "$out" >/dev/null)
deb=$(ls "$out"/calvorigne_*.deb)
contents=$(dpkg-deb -c "$deb")
info=$(dpkg-deb -I "$deb")
fail() { echo "FAIL: $*"; exit 1; }
grep -q ' ./usr/bin/calvorigne$' <<<"$contents" || fail "no /usr/bin/calvorigne"
grep -q ' ./usr/share/applications/calvorigne.desktop$' <<<"$contents" || fail "no desktop entry"
grep -q ' ./usr/share/applications/calvorigne-tombola.desktop$' <<<"$contents" || fail "no desktop entry for the raffle"
grep -q ' ./usr/share/icons/hicolor/scalable/apps/calvorigne.svg$' <<<"$contents" || fail "no icon"
depends=$(grep '^ Depends:' <<<"$info") || fail "no Depends line"
for library in libqt6widgets6 libqt6printsupport6 libqt6gui6 libqt6core6 qt6-translations-l10n; do
    grep -q "$library" <<<"$depends" || fail "Depends does not name $library: $depends"
done
grep -q '^ Package: calvorigne$' <<<"$info" || fail "wrong package name"
grep -q '^ Description: ' <<<"$info" || fail "no description"
dpkg-deb -x "$deb" "$out/root"
desktop-file-validate "$out/root/usr/share/applications/calvorigne.desktop" || fail "desktop entry rejected"
desktop-file-validate "$out/root/usr/share/applications/calvorigne-tombola.desktop" || fail "raffle's desktop entry rejected"
grep -q '^Exec=calvorigne --tombola$' "$out/root/usr/share/applications/calvorigne-tombola.desktop" || fail "raffle's entry does not open it"
echo "$depends"
