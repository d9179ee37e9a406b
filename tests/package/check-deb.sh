#!/usr/bin/env bash
# Builds the .deb from a build folder, unpacks it into a temporary folder and checks
# what a Debian user gets: both programs, the desktop entry, the icon, the translations,
# dependencies on Debian's own packages, and a program that runs from the unpacked tree.
#   tests/package/check-deb.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
    { cat "$work/cpack.log" >&2; fail "cpack did not build the package"; }
deb=$(ls "$work"/out/quorvane_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "no quorvane_*.deb in $work/out"

depends=$(dpkg-deb -f "$deb" Depends)
for pkg in libqt5core5a libqt5widgets5 libqt5network5 libqt5svg5 libcurl4 fonts-wqy-microhei; do
    grep -q "\b$pkg\b" <<<"$depends" || fail "Depends lacks $pkg: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = quorvane ] || fail "package name"

dpkg-deb -x "$deb" "$work/root"
for f in usr/bin/quorvane usr/bin/quorvane-cli usr/share/applications/quorvane.desktop \
         usr/share/icons/hicolor/scalable/apps/quorvane.svg \
         usr/share/quorvane/translations/english_en.qm usr/share/quorvane/translations/chinese_cn.qm; do
    [ -s "$work/root/$f" ] || fail "missing $f"
done
grep -q '^Exec=quorvane$' "$work/root/usr/share/applications/quorvane.desktop" || fail "desktop Exec"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$work/root/usr/share/applications/quorvane.desktop" || fail "desktop entry invalid"
fi
version=$("$work/root/usr/bin/quorvane-cli" --version) || fail "unpacked quorvane-cli --version failed"
[ "$version" = "quorvane-cli $(dpkg-deb -f "$deb" Version)" ] || fail "version '$version'"
"$work/root/usr/bin/quorvane" --version >/dev/null || fail "unpacked quorvane --version failed"
echo "package: $(basename "$deb") checked"
echo "1 passed, 0 failed"
