#!/usr/bin/env bash
# The installed program folder: cmake --install of this build into a prefix
# of the test's own, moved elsewhere afterwards (nothing may depend on where
# it was installed or built), then the installed terva-batch on an installed
# example and the installed terva --version. With dpkg-deb (and
# dpkg-shlibdeps and file, which cpack uses) the Debian package is built from the same build and its
# contents checked, and its programs run from the unpacked tree.
#
#   install_test.sh BUILD_DIR SOURCE_DIR VERSION
set -euo pipefail
build="$(cd "$1" && pwd)"
source="$(cd "$2" && pwd)"
expected_version="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME="$work/data" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset TERVA_ENGINE LD_LIBRARY_PATH
fail() { echo "FAILED: $*"; exit 1; }

cmake --install "$build" --prefix "$work/staged" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }
mv "$work/staged" "$work/prefix"
prefix="$work/prefix"

for f in bin/terva bin/terva-batch bin/Terva3-viewer lib/terva/libTerva3-comp.so lib/terva/terva-engine-host \
         share/terva/examples/half-space.tvd share/terva/examples/projects/pile-group-4.tvd \
         share/doc/terva/manual/manual.md share/doc/terva/manual/main-window.png share/doc/terva/copyright \
         share/applications/terva.desktop share/mime/packages/terva.xml \
         share/icons/hicolor/48x48/apps/terva.png share/icons/hicolor/scalable/apps/terva.svg \
         share/man/man1/terva.1.gz share/man/man1/terva-batch.1.gz; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
grep -qx "Exec=$work/staged/bin/terva %f" "$prefix/share/applications/terva.desktop" ||
  fail "the menu entry does not start the installed program: $(grep Exec= "$prefix/share/applications/terva.desktop")"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/terva.desktop" || fail "desktop-file-validate"
fi

# No run path and no path of the build or source tree in what the programs
# read at run time (debug information may name the sources).
if command -v readelf >/dev/null; then
  for f in bin/terva bin/terva-batch bin/Terva3-viewer lib/terva/libTerva3-comp.so; do
    ! readelf -d "$prefix/$f" | grep -Eq 'RPATH|RUNPATH' || fail "$f has a run path"
    for tree in "$build" "$source"; do
      ! readelf -p .rodata "$prefix/$f" 2>/dev/null | grep -qF "$tree" || fail "$f names $tree"
    done
  done
fi

# The installed terva-batch on an installed example, in a folder of its own.
mkdir "$work/run"
cp "$prefix/share/terva/examples/half-space.tvd" "$work/run/"
(cd "$work/run" && "$prefix/bin/terva-batch" half-space.tvd) >"$work/batch.log" 2>&1 ||
  { cat "$work/batch.log"; fail "installed terva-batch"; }
[ -s "$work/run/half-space.tvo" ] || fail "no report from the installed terva-batch"
grep -q "half-space.tvo" "$work/batch.log" || fail "terva-batch did not say where the report is"

version="$(QT_QPA_PLATFORM=offscreen "$prefix/bin/terva" --version)"
[ "$version" = "TERVA $expected_version" ] || fail "terva --version printed '$version'"
# the same version in the man page and the Python package; the changelog's
# top entry is the release's
zcat "$prefix/share/man/man1/terva.1.gz" | head -1 | grep -qF "\"TERVA $expected_version\"" ||
  fail "terva(1) names another version: $(zcat "$prefix/share/man/man1/terva.1.gz" | head -1)"
grep -qx "__version__ = \"$expected_version\"" "$prefix/share/terva/python/terva/_version.py" ||
  fail "the Python package's version is not $expected_version"
zcat "$prefix/share/doc/terva/changelog.gz" | head -1 | grep -qF "terva ($expected_version) " ||
  fail "the changelog's top entry is not $expected_version"

# The Debian package.
if ! command -v dpkg-deb >/dev/null || ! command -v dpkg-shlibdeps >/dev/null || ! command -v file >/dev/null; then
  echo "install_test: dpkg-deb, dpkg-shlibdeps or file missing; the package is not checked"
  exit 0
fi
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/package" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb="$(ls "$work"/package/terva_*.deb)"
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$work/contents"
for f in /usr/bin/terva /usr/bin/terva-batch /usr/bin/Terva3-viewer /usr/lib/terva/libTerva3-comp.so /usr/lib/terva/terva-engine-host \
         /usr/share/applications/terva.desktop /usr/share/mime/packages/terva.xml \
         /usr/share/icons/hicolor/48x48/apps/terva.png /usr/share/icons/hicolor/scalable/apps/terva.svg \
         /usr/share/man/man1/terva.1.gz /usr/share/man/man1/terva-batch.1.gz /usr/share/man/man1/Terva3-viewer.1.gz \
         /usr/share/doc/terva/copyright /usr/share/doc/terva/changelog.gz /usr/share/terva/examples/half-space.tvd \
         /usr/share/terva/python/terva/__init__.py /usr/lib/python3/dist-packages/terva.pth; do
  grep -qxF "$f" "$work/contents" || fail "the package lacks $f"
done
[ "$(dpkg-deb -f "$deb" Package)" = terva ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Section)" = science ] || fail "section"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6core6' || fail "no Qt dependency found: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -qw 'python3' || fail "no python3 dependency: $(dpkg-deb -f "$deb" Depends)"

# Its programs run from wherever the tree is unpacked.
dpkg-deb -x "$deb" "$work/root"
grep -qx "Exec=/usr/bin/terva %f" "$work/root/usr/share/applications/terva.desktop" || fail "package menu entry"
cp "$work/root/usr/share/terva/examples/stratum.tvd" "$work/run/"
(cd "$work/run" && "$work/root/usr/bin/terva-batch" stratum.tvd) >"$work/batch2.log" 2>&1 ||
  { cat "$work/batch2.log"; fail "packaged terva-batch"; }
[ -s "$work/run/stratum.tvo" ] || fail "no report from the packaged terva-batch"
[ "$(cat "$work/root/usr/lib/python3/dist-packages/terva.pth")" = /usr/share/terva/python ] ||
  fail "the Python path file does not name the package's folder"
echo "install_test: installed and packaged programs run"
