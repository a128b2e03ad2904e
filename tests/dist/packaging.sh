#!/usr/bin/env bash
# Installs into a DESTDIR, validates what a desktop reads, builds the .deb,
# runs lintian on it, checks its maintainer scripts with a fake setcap, and
# starts the packaged program under the test display.
#   packaging.sh <build dir> <source dir>
set -euo pipefail
build=$(cd "$1" && pwd)
source=$(cd "$2" && pwd)
work=$(mktemp -d)
app=""
cleanup() {
  if [ -n "$app" ]; then
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
id=org.duskwatch.Duskwatch

expected_tree() {
  printf '%s\n' usr/bin/DKWT \
    usr/share/applications/$id.desktop \
    usr/share/metainfo/$id.metainfo.xml \
    usr/share/icons/hicolor/scalable/apps/$id.svg \
    usr/share/man/man1/DKWT.1.gz \
    usr/share/duskwatch/DKWT.1.html \
    usr/share/doc/duskwatch/README.md \
    usr/share/doc/duskwatch/copyright \
    usr/share/doc/duskwatch/changelog.gz
  for size in 16 22 24 32 48 64 128 256; do
    echo "usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
  done
}
expected_tree | sort > "$work/expected"

echo "== cmake --install into a DESTDIR"
DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
(cd "$work/root" && find . -type f -o -type l | sed 's|^\./||' | sort) > "$work/installed"
diff -u "$work/expected" "$work/installed" || fail "installed tree differs"
for size in 16 22 24 32 48 64 128 256; do
  got=$(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/${size}x${size}/apps/$id.png")
  [ "$got" = "${size}x${size}" ] || fail "icon ${size}: $got"
done

echo "== validators"
desktop-file-validate "$work/root/usr/share/applications/$id.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/$id.metainfo.xml" >/dev/null
warnings=$(zcat "$work/root/usr/share/man/man1/DKWT.1.gz" | groff -man -ww -z 2>&1)
[ -z "$warnings" ] || fail "man page: $warnings"
# The committed screenshot is the one the metadata describes.
size=$(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)".*|\1x\2|p' \
  "$source/dist/$id.metainfo.xml")
[ "$(identify -format '%wx%h' "$source/dist/screenshots/main-window.png")" = "$size" ] || fail "screenshot size"
grep -q '<title>DKWT</title>' "$work/root/usr/share/duskwatch/DKWT.1.html" || fail "manual HTML has no title"

echo "== Debian package"
(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null) || fail "cpack"
deb=$(ls "$work"/package/duskwatch_*.deb)
dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./||' | grep -v '/$' | sort > "$work/packaged"
diff -u "$work/expected" "$work/packaged" || fail "package contents differ from the install rules"
dpkg-deb --field "$deb" Section | grep -qx utils || fail "section"
depends=$(dpkg-deb --field "$deb" Depends)
case "$depends" in *libc6*libwxgtk3.2*) ;; *) fail "Depends: $depends" ;; esac

echo "== lintian"
# Lintian refuses nothing as root; errors and warnings fail the test.
lintian --fail-on error,warning --tag-display-limit 0 "$deb" > "$work/lintian" 2>&1 || {
  cat "$work/lintian"; fail "lintian"
}
cat "$work/lintian"

echo "== maintainer scripts (a fake setcap, on the extracted tree)"
dpkg-deb -x "$deb" "$work/x"
dpkg-deb --control "$deb" "$work/control"
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "setcap $*" >> "%s/setcap.log"\n' "$work" > "$work/bin/setcap"
chmod +x "$work/bin/setcap"
scripts() { env DPKG_ROOT="$work/x" PATH="$work/bin:$PATH" sh "$work/control/$1" "$2"; }
scripts postinst configure
scripts postinst abort-upgrade
scripts prerm upgrade
[ "$(cat "$work/setcap.log")" = "setcap cap_wake_alarm+ep $work/x/usr/bin/DKWT" ] || fail "postinst: $(cat "$work/setcap.log")"
: > "$work/setcap.log"
scripts prerm remove
[ "$(cat "$work/setcap.log")" = "setcap -r $work/x/usr/bin/DKWT" ] || fail "prerm: $(cat "$work/setcap.log")"
# Without setcap the installation still succeeds.
env DPKG_ROOT="$work/x" PATH=/nonexistent /bin/sh "$work/control/postinst" configure || fail "postinst without setcap"

echo "== the packaged program starts"
home="$work/home"
mkdir -p "$home/Desktop"
env HOME="$home" XDG_CONFIG_HOME="$home/.config" XDG_DATA_HOME="$home/.local/share" \
    XDG_CACHE_HOME="$home/.cache" TMP="$work/tmp" DKWT_DRY_RUN="$work/dry-run.log" \
    "$work/x/usr/bin/DKWT" >"$work/app.log" 2>&1 &
app=$!
window=""
for _ in $(seq 1 100); do
  window=$(xdotool search --all --onlyvisible --pid "$app" --name '^Duskwatch v\. 2\.1$' 2>/dev/null | head -1 || true)
  [ -n "$window" ] && break
  kill -0 "$app" 2>/dev/null || { cat "$work/app.log"; fail "the packaged DKWT ended"; }
  sleep 0.2
done
[ -n "$window" ] || { cat "$work/app.log"; fail "no main window"; }
[ ! -s "$work/dry-run.log" ] || fail "acted: $(cat "$work/dry-run.log")"
echo "main window $window"
echo "packaging: all checks passed"
