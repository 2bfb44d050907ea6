#!/usr/bin/env bash
# Builds the Debian package from what BUILD_DIR has already built (no new build) and checks
# it: the control fields, the files a desktop and a user need, the manual's links as
# installed, and lintian's verdict where lintian is installed (any error fails).
# Usage: scripts/check-package.sh BUILD_DIR. Exits 77 (skipped) without cpack or dpkg-deb.
set -euo pipefail
build=$(cd "${1:?usage: check-package.sh BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "$tool is not installed: skipped" >&2; exit 77; }
done
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

out=$build/package
rm -rf "$out"
mkdir -p "$out"
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log" >&2
  exit 1
fi
version=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
deb=$out/kolmarin2_${version}_amd64.deb
[ -f "$deb" ] || { ls "$out" >&2; fail "no $(basename "$deb")"; exit 1; }
echo "built $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = kolmarin2 ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version), not $version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture is $(field Architecture)"
[ "$(field Section)" = science ] || fail "Section is $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
echo "Depends: $depends"
for needed in libc6 libqt6widgets6 libqt6printsupport6 libqcustomplot fonts-ipafont-gothic \
  fonts-ipafont-mincho qt6-translations-l10n; do
  grep -q "\(^\|, \)$needed" <<<"$depends" || fail "Depends lacks $needed"
done

files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in usr/bin/kolmarin2 usr/bin/kolmarin2-cli \
  usr/share/applications/io.github.kolmarin2.Kolmarin2.desktop \
  usr/share/icons/hicolor/scalable/apps/kolmarin2.svg \
  usr/share/mime/packages/kolmarin2.xml \
  usr/share/metainfo/io.github.kolmarin2.Kolmarin2.metainfo.xml \
  usr/share/doc/kolmarin2/manual/ja/index.html usr/share/doc/kolmarin2/copyright \
  usr/share/man/man1/kolmarin2.1.gz usr/share/man/man1/kolmarin2-cli.1.gz \
  usr/share/man/ja/man1/kolmarin2.1.gz usr/share/man/ja/man1/kolmarin2-cli.1.gz; do
  grep -qx "\./$path" <<<"$files" || fail "the package lacks /$path"
done

root=$out/root
dpkg-deb -x "$deb" "$root"
"$here/check-manual.sh" "$root"/usr/share/doc/kolmarin2/manual/*/index.html || fail "the installed manual"

if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$deb" >"$out/lintian.log" 2>&1 || true
  cat "$out/lintian.log"
  grep -q '^E:' "$out/lintian.log" && fail "lintian reports errors"
else
  echo "lintian is not installed: not run"
fi
[ "$failed" -eq 0 ] && echo "package: all good"
exit "$failed"
