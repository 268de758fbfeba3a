#!/usr/bin/env bash
# The package as the README makes it (Release, BUILD_TESTING=OFF, in a tree of
# its own kept under the build tree): lintian finds nothing in it, and cmake
# --install into a prefix and the package's contents each have every file, a
# desktop entry and metainfo that validate, man pages with their sections, both
# programs answering --help and --version, a program and its window's program
# that find its catalogs and its viewer there, and the MIME type of Amiga icons that a file manager finds
# and opens with the desktop entry.
source "$(dirname "$0")/../e2e/lib.sh"
: "${SOURCE_DIR:?}" "${CMAKE:=cmake}" "${CPACK:=cpack}" "${CMAKE_GENERATOR:=Ninja}"
work=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/settings-install-XXXXXX")")
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM LANGUAGE LC_ALL LC_MESSAGES XDG_CURRENT_DESKTOP
mkdir "$work/drawer"
"$MKICON" "$work/drawer/Settings.info" --type tool APPLICATION=Starfield

# Nothing of the tests or benchmarks is looked for.
release="$BUILD_DIR/release-package"
"$CMAKE" -S "$SOURCE_DIR" -B "$release" -G "$CMAKE_GENERATOR" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >"$work/build.log" 2>&1 &&
    "$CMAKE" --build "$release" >>"$work/build.log" 2>&1 || fail "the release build: $(tail -n 30 "$work/build.log")"

"$CPACK" -G DEB -B "$work/deb" --config "$release/CPackConfig.cmake" >"$work/cpack.log" ||
    fail "cpack: $(cat "$work/cpack.log")"
deb=$(echo "$work"/deb/vellumine-settings_*.deb)
lintian --info --pedantic --fail-on error,warning,info,pedantic "$deb" >"$work/lintian.log" 2>&1 ||
    fail "lintian: $(grep -E '^[A-Z]: ' "$work/lintian.log" || cat "$work/lintian.log")"
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libxcb1 qt6-qpa-plugins; do
    grep -q "$package" <<<"$depends" || fail "the package does not depend on $package: $depends"
done
version=$(dpkg-deb -f "$deb" Version)

# The installation in ROOT with the prefix PREFIX.
check_tree() {
    local tree=$1$2 file out program
    # The files that nothing below runs or reads.
    for file in share/icons/hicolor/scalable/apps/vellumine-settings.svg share/man/man1/vellumine-settings-viewer.1.gz \
        share/doc/vellumine-settings/README.md share/doc/vellumine-settings/copyright; do
        [ -s "$tree/$file" ] || fail "$tree: no $file"
    done
    out=$(zcat "$tree/share/man/man1/vellumine-settings.1.gz")
    for file in '\-\-save' '.SH TOOLTYPES' APPLICATION= HELP= HIDESOUND AMIGAOS3= MORPHOS= WARPOS= AMIGAOS4= \
        '.SH ENVIRONMENT' '.SH FILES' '.SH "EXIT STATUS"' '.SH EXAMPLES' '.SH "SEE ALSO"'; do
        grep -qF -- "$file" <<<"$out" || fail "$tree: the man page lacks $file"
    done
    desktop-file-validate "$tree/share/applications/org.vellumine.Settings.desktop" || fail "$tree: desktop entry"
    appstreamcli validate --no-net "$tree/share/metainfo/org.vellumine.Settings.metainfo.xml" >&2 ||
        fail "$tree: metainfo"
    for program in vellumine-settings vellumine-settings-viewer; do
        [ "$("$tree/bin/$program" --version | head -n 1)" = "$program $version" ] ||
            fail "$tree: $program --version: $("$tree/bin/$program" --version)"
        LC_ALL=C "$tree/bin/$program" --help | grep -q "^Usage: $program " || fail "$tree: $program --help"
    done
    out=$(cd / && LANG=de_DE.UTF-8 "$tree/bin/vellumine-settings" --show "$work/drawer")
    grep -qx "catalog=$tree/bin/../share/vellumine-settings/Catalogs/deutsch/Vellumine/Settings.catalog" <<<"$out" ||
        fail "$tree: the installed catalog is not used: $out"
    grep -qx "windowTitle=Einstellungen für Starfield" <<<"$out" || fail "$tree: the catalog's texts are not used"
    grep -qx "viewer=$tree/bin/vellumine-settings-viewer" <<<"$out" || fail "$tree: the installed viewer is not found"
    # The window is the installation's own program in libexec (without a display it
    # says so), and it finds the same catalog and viewer.
    out=$("$tree/bin/vellumine-settings" "$work/drawer" 2>&1) && fail "$tree: a window without a display"
    grep -q "intuition.library" <<<"$out" || fail "$tree: the window's program did not run: $out"
    out=$(cd / && LANG=de_DE.UTF-8 "$tree/libexec/vellumine-settings/vellumine-settings-window" --show "$work/drawer")
    grep -q "^catalog=$tree/.*/share/vellumine-settings/Catalogs/deutsch/" <<<"$out" &&
        grep -q "^viewer=$tree/.*/vellumine-settings-viewer$" <<<"$out" || fail "$tree: the window's program: $out"
}

"$CMAKE" --install "$release" --prefix "$work/prefix" --strip >/dev/null
check_tree "$work/prefix" ""
root="$work/root"
dpkg-deb -x "$deb" "$root"
check_tree "$root" /usr

# What a file manager sees once the package is installed (as its triggers do):
# classic and PNG icons are Amiga icons, opened by the desktop entry; a text file
# named Settings.info and a plain PNG are not.
update-mime-database "$root/usr/share/mime" >/dev/null 2>&1
update-desktop-database "$root/usr/share/applications"
export XDG_DATA_HOME="$work/home" XDG_CONFIG_HOME="$work/home" XDG_CONFIG_DIRS="$work/home" \
    XDG_DATA_DIRS="$root/usr/share:/usr/share"
corpus="$SOURCE_DIR/../shared/corpus"
echo "Not an icon" >"$work/Settings.info"
for file in "$corpus/icons/DockBot/Install.info:application/x-amiga-icon" "$work/Settings.info:text/plain" \
    "$corpus/png-icons/CPU-M/CPU-M.info:application/x-amiga-icon" "$SOURCE_DIR/docs/viewer.png:image/png"; do
    type=$(xdg-mime query filetype "${file%:*}")
    [ "$type" = "${file##*:}" ] || fail "${file%:*} is of the type $type"
done
[ "$(xdg-mime query default application/x-amiga-icon)" = org.vellumine.Settings.desktop ] ||
    fail "the desktop entry does not open Amiga icons"
echo "PASS"
