#!/usr/bin/env bash
# Checks what a Linux desktop reads about the program: the desktop entry, the AppStream
# metadata and the room data file type, with the desktop's own validators where they are
# installed, and that the three agree on the file type and the desktop file's name.
# Usage: scripts/check-desktop-files.sh SOURCE_DIR. Exits 77 (skipped) when no validator
# is installed.
set -euo pipefail
src=${1:?usage: check-desktop-files.sh SOURCE_DIR}
res=$src/resources
app_id=io.github.kolmarin2.Kolmarin2
desktop=$res/$app_id.desktop
metainfo=$res/$app_id.metainfo.xml
mime=$res/kolmarin2-mime.xml
header='Kolmarin2 Ver0.85 room data'
failed=0 checked=0
fail() { echo "FAIL: $*" >&2; failed=1; }

mime_type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$mime")
[ -n "$mime_type" ] || fail "$mime names no MIME type"
grep -q "<match type=\"string\" offset=\"0\" value=\"$header\"/>" "$mime" ||
  fail "the file type is not recognised by the whole header line at offset 0"
grep -qx "MimeType=.*$mime_type;.*" "$desktop" || fail "the desktop entry does not list $mime_type"
grep -Eqx 'Exec=kolmarin2 %[fFuU]' "$desktop" || fail "the desktop entry's Exec passes no file"
# Menus file a room-sound tool with the audio programs.
grep -Eqx 'Categories=AudioVideo;Audio;.*' "$desktop" || fail "the desktop entry is not in AudioVideo;Audio;"
grep -q "<mediatype>$mime_type</mediatype>" "$metainfo" || fail "the metainfo does not provide $mime_type"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo's launchable is not $app_id.desktop"
grep -q "<id>$app_id</id>" "$metainfo" || fail "the metainfo's id is not $app_id"

if command -v desktop-file-validate >/dev/null; then
  checked=1
  # Some errors are only printed ("will be fatal in the future"), so the output counts too.
  if ! out=$(desktop-file-validate "$desktop" 2>&1) || grep -q 'error:' <<<"$out"; then
    fail "desktop-file-validate: $out"
  fi
fi

if command -v appstreamcli >/dev/null; then
  checked=1
  appstreamcli validate --no-net --strict "$metainfo" >&2 || fail "appstreamcli validate"
fi

if command -v update-mime-database >/dev/null; then
  checked=1
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  mkdir -p "$tmp/mime/packages"
  cp "$mime" "$tmp/mime/packages/kolmarin2.xml"
  # update-mime-database reports a broken file but still exits 0: look at what it built.
  update-mime-database "$tmp/mime" >/dev/null 2>&1
  grep -qx "[0-9]*:$mime_type:\*\.dtr" "$tmp/mime/globs2" || fail "no *.dtr glob for $mime_type in the built database"
  if command -v gio >/dev/null; then
    printf '%s\r\n4.50\r\n' "$header" >"$tmp/renamed-room"
    printf 'not a room\r\n' >"$tmp/plain.dtr"
    printf 'Kolmarin2 Ver0.71 room data\r\n' >"$tmp/other-version"
    detect() { XDG_DATA_HOME=$tmp XDG_DATA_DIRS=/usr/share gio info -a standard::content-type "$1" |
      sed -n 's/.*standard::content-type: //p'; }
    [ "$(detect "$tmp/plain.dtr")" = "$mime_type" ] || fail "a *.dtr file is not taken as $mime_type"
    [ "$(detect "$tmp/renamed-room")" = "$mime_type" ] || fail "the header line alone does not identify $mime_type"
    [ "$(detect "$tmp/other-version")" != "$mime_type" ] || fail "another data version is taken as $mime_type"
  fi
fi

[ "$checked" -eq 1 ] || { echo "no desktop validator installed: skipped" >&2; exit 77; }
[ "$failed" -eq 0 ] && echo "desktop entry, metainfo and file type: all good"
exit "$failed"
