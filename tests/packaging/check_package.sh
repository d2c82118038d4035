#!/usr/bin/env bash
# usage: check_package.sh BUILD_DIR WORK_DIR VERSION
# Makes the package with cpack, then checks what a distribution checks: its files and their
# places, the desktop entry, the software-centre metadata, lintian, and that the installed
# commands answer.
set -euo pipefail
build=$1 work=$2 version=$3
id=io.github.kivola.Kivola
rm -rf "$work" && mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log") || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(ls "$work"/out/kivola_"$version"_*.deb) || fail "no kivola_${version}_*.deb"

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for f in /usr/games/kivola /usr/games/pbrain-kivola /usr/lib/kivola/kivola /usr/lib/kivola/libNW.so \
         /usr/lib/kivola/rur.chm /usr/lib/kivola/res/Picture1.bmp /usr/lib/kivola/res/Picture3@2x.bmp \
         /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml \
         /usr/share/man/man6/kivola.6.gz /usr/share/man/man6/pbrain-kivola.6.gz \
         /usr/share/doc/kivola/copyright /usr/share/doc/kivola/changelog.gz; do
  grep -qx "$f" "$work/files" || fail "$f is not in the package"
done
for size in 16 22 24 32 48 64 128 256; do
  grep -qx "/usr/share/icons/hicolor/${size}x${size}/apps/$id.png" "$work/files" || fail "no ${size}px icon"
done
# Nothing from the build or the tests leaks in.
if grep -E '_tests?$|/include/|\.a$|/artgen$' "$work/files"; then fail "build files in the package"; fi

fields=$(dpkg-deb -f "$deb" Package Version Section Depends)
echo "$fields"
grep -qx "Version: $version" <<<"$fields" || fail "version"
grep -qx "Section: games" <<<"$fields" || fail "section"
for dep in libqt6widgets6 libchm1 fonts-noto-cjk qt6-translations-l10n qt6-qpa-plugins; do
  grep -q "$dep" <<<"$fields" || fail "Depends lacks $dep"
done

root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo release"

# The commands as installed, through the link on PATH; no display needed for either.
[ "$(env -u DISPLAY QT_QPA_PLATFORM= "$root/usr/games/kivola" --version)" = "kivola $version" ] || fail "kivola --version"
env -u DISPLAY QT_QPA_PLATFORM= "$root/usr/games/kivola" --help | grep -q -- "--version" || fail "kivola --help"
[ "$(printf 'START 15\nEND\n' | "$root/usr/games/pbrain-kivola")" = "OK" ] || fail "pbrain-kivola START"

# Errors fail (lintian also reads the manual pages); warnings are printed for the record.
lintian --fail-on error --suppress-tags-from-file /dev/null "$deb" | tee "$work/lintian.txt" || fail "lintian"
echo "package: $(stat -c %s "$deb") bytes, installed: $(dpkg-deb -f "$deb" Installed-Size) KiB"
