#!/usr/bin/env bash
# Installs the build into a fresh prefix, records from the installed program,
# validates the desktop files and checks what the Debian package holds.
#   install_test.sh BUILD_DIR SOURCE_DIR
set -uo pipefail
build=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

prefix="$work/prefix with space"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || {
  cat "$work/install.log" >&2
  echo "FAIL: cmake --install" >&2
  exit 1
}
id=org.example.orbicap
for f in bin/orbicap bin/orbicap-record lib/orbicap/libqhy5v-sim.so \
  share/applications/$id.desktop share/icons/hicolor/scalable/apps/$id.svg \
  share/metainfo/$id.metainfo.xml share/man/man1/orbicap.1 share/man/man1/orbicap-record.1; do
  [ -f "$prefix/$f" ] || fail "not installed: $f"
done
[ -x "$prefix/bin/orbicap-record" ] || fail "orbicap-record is not executable"
# Nothing of the build tree may be needed: no run path into it.
if readelf -d "$prefix/bin/orbicap-record" | grep -E 'R(UN)?PATH' | grep -q "$build"; then
  fail "orbicap-record keeps a run path into the build tree"
fi

# The installed recorder finds the simulator in lib/orbicap/ by itself: the
# prefix has no lib/libqhy5v-sim.so, the place the build tree uses.
mkdir -p "$work/out"
(cd / && env -u ORBICAP_DRIVER "$prefix/bin/orbicap-record" --out "$work/out/CAP" --frames 10 \
  --exposure 1) >"$work/record.out" 2>"$work/record.err"
status=$?
[ "$status" -eq 0 ] || fail "installed orbicap-record exited $status: $(cat "$work/record.err")"
ser="$work/out/CAP_00000.SER"
grep -qF "$ser" "$work/record.out" || fail "the recorder did not name $ser"
if [ -f "$ser" ]; then
  size=$(stat -c %s "$ser")
  [ "$size" -eq $((178 + 10 * 360960 + 10 * 8)) ] || fail "SER size $size"
  count=$(od -An -t u4 -j 38 -N 4 "$ser" | tr -d ' ')
  [ "$count" = 10 ] || fail "SER frame count $count"
else
  fail "no $ser"
fi
QT_QPA_PLATFORM=offscreen "$prefix/bin/orbicap" --help >"$work/help.out" 2>&1 ||
  fail "installed orbicap --help: $(cat "$work/help.out")"

desktop-file-validate "$prefix/share/applications/$id.desktop" ||
  fail "desktop-file-validate"
grep -qx 'Categories=Science;Astronomy;' "$prefix/share/applications/$id.desktop" ||
  fail "desktop entry categories"
appstreamcli validate --no-net --pedantic "$prefix/share/metainfo/$id.metainfo.xml" ||
  fail "appstreamcli validate"
for page in orbicap orbicap-record; do
  warnings=$(LC_ALL=C.UTF-8 groff -man -ww -z "$prefix/share/man/man1/$page.1" 2>&1)
  [ -z "$warnings" ] || fail "man page $page: $warnings"
done

package=$("$source/scripts/package.sh" "$build" "$work/package") || fail "scripts/package.sh"
case "$package" in
*/orbicap_*_amd64.deb) ;;
*) fail "package name: $package" ;;
esac
if [ -f "$package" ]; then
  dpkg-deb --contents "$package" >"$work/contents"
  for f in usr/bin/orbicap usr/bin/orbicap-record usr/lib/orbicap/libqhy5v-sim.so \
    usr/share/applications/$id.desktop usr/share/icons/hicolor/scalable/apps/$id.svg \
    usr/share/metainfo/$id.metainfo.xml usr/share/man/man1/orbicap.1 \
    usr/share/man/man1/orbicap-record.1; do
    grep -qE " \./$f\$" "$work/contents" || fail "package lacks $f"
  done
  # Dependencies found by dpkg-shlibdeps from what the files link.
  depends=$(dpkg-deb -f "$package" Depends)
  for lib in libqt6core6 libqt6widgets6 libavformat libc6; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
  done
fi

[ "$failures" -eq 0 ] && echo "install and package: all checks passed"
exit $((failures > 0))
