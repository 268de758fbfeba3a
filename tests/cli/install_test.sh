#!/usr/bin/env bash
# The installed tree, from the build tree as it is: cmake --install into a prefix
# and into a DESTDIR, and the Debian package's contents; each has every file, a
# desktop entry and metainfo that validate, and a program that finds its catalogs
# and its viewer there. A clean configure with BUILD_TESTING=OFF needs nothing of
# the tests.
set -euo pipefail
: "${BUILD_DIR:?}" "${SOURCE_DIR:?}" "${CMAKE:=cmake}" "${CPACK:=cpack}" "${CMAKE_GENERATOR:=Ninja}"
work=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/settings-install-XXXXXX")")
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM LANGUAGE LC_ALL LC_MESSAGES
mkdir "$work/drawer"
"$BUILD_DIR/tools/mkicon" "$work/drawer/Settings.info" --type tool APPLICATION=Starfield

# The installation in ROOT with the prefix PREFIX.
check_tree() {
    local tree=$1$2 file out
    for file in bin/vellumine-settings bin/vellumine-settings-viewer \
        share/vellumine-settings/Catalogs/deutsch/Vellumine/Settings.catalog \
        share/applications/org.vellumine.Settings.desktop share/metainfo/org.vellumine.Settings.metainfo.xml \
        share/icons/hicolor/scalable/apps/vellumine-settings.svg share/man/man1/vellumine-settings.1 \
        share/doc/vellumine-settings/README.md share/doc/vellumine-settings/LICENSE; do
        [ -s "$tree/$file" ] || fail "$tree: no $file"
    done
    grep -qF -- '\-\-save' "$tree/share/man/man1/vellumine-settings.1" || fail "$tree: the man page lacks --save"
    desktop-file-validate "$tree/share/applications/org.vellumine.Settings.desktop" || fail "$tree: desktop entry"
    appstreamcli validate --no-net "$tree/share/metainfo/org.vellumine.Settings.metainfo.xml" >&2 ||
        fail "$tree: metainfo"
    out=$(cd / && LANG=de_DE.UTF-8 "$tree/bin/vellumine-settings" --show "$work/drawer")
    grep -qx "catalog=$tree/bin/../share/vellumine-settings/Catalogs/deutsch/Vellumine/Settings.catalog" <<<"$out" ||
        fail "$tree: the installed catalog is not used: $out"
    grep -qx "windowTitle=Einstellungen für Starfield" <<<"$out" || fail "$tree: the catalog's texts are not used"
    grep -qx "viewer=$tree/bin/vellumine-settings-viewer" <<<"$out" || fail "$tree: the installed viewer is not found"
}

"$CMAKE" --install "$BUILD_DIR" --prefix "$work/prefix" >/dev/null
check_tree "$work/prefix" ""
DESTDIR="$work/stage" "$CMAKE" --install "$BUILD_DIR" --prefix /usr >/dev/null
check_tree "$work/stage" /usr

# The package: its dependencies, and its files as an installation.
"$CPACK" -G DEB -B "$work/deb" --config "$BUILD_DIR/CPackConfig.cmake" >"$work/cpack.log" ||
    fail "cpack: $(cat "$work/cpack.log")"
deb=$(echo "$work"/deb/vellumine-settings_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libxcb1 qt6-qpa-plugins; do
    grep -q "$package" <<<"$depends" || fail "the package does not depend on $package: $depends"
done
dpkg-deb -x "$deb" "$work/unpacked"
check_tree "$work/unpacked" /usr

# A packager's configure: nothing of the tests or benchmarks is looked for.
"$CMAKE" -S "$SOURCE_DIR" -B "$work/release" -G "$CMAKE_GENERATOR" -DBUILD_TESTING=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >"$work/configure.log" 2>&1 ||
    fail "configure with BUILD_TESTING=OFF: $(cat "$work/configure.log")"
echo "PASS"
