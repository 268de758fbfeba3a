#!/usr/bin/env bash
# The Debian package as debian/ builds it, in a copy of the source under the build
# tree (its build reused), and the source package from a clean copy and the upstream
# tarball (the source without debian/): no warning in the builds, nothing from
# lintian, and cmake --install into a prefix and the package each have every file, a
# desktop entry and metainfo that validate, man pages with their sections that man
# renders at 80 columns without a warning, both programs answering --help and
# --version and finding their catalogs and viewer (the window's program in libexec
# too), and the MIME type of Amiga icons, from the package's own MIME database, as
# xdg-mime and GLib tell it, opened with the desktop entry.
source "$(dirname "$0")/../e2e/lib.sh"
: "${SOURCE_DIR:?}" "${CMAKE:=cmake}"
work=$(realpath "$(mktemp -d "${TMPDIR:-/tmp}/settings-install-XXXXXX")")
trap 'rm -rf "$work"' EXIT
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM LANGUAGE LC_ALL LC_MESSAGES XDG_CURRENT_DESKTOP

packages=$(realpath "$BUILD_DIR")/package
mkdir -p "$packages/settings" && rm -rf "$packages"/vellumine-settings*_* "$packages/clean"
rsync -a --delete --exclude='/build*/' --exclude=/.git --exclude="/$(realpath --relative-to="$SOURCE_DIR" "$BUILD_DIR")/" \
    "$SOURCE_DIR/" "$packages/settings/"
rsync -a --exclude=/build-deb/ "$packages/settings/" "$packages/clean/"
version=$(dpkg-parsechangelog -l "$SOURCE_DIR/debian/changelog" -S Version | sed "s/-[^-]*$//")
tar -C "$packages" --exclude=clean/debian -czf "$packages/vellumine-settings_$version.orig.tar.gz" clean
(cd "$packages/clean" && dpkg-buildpackage -S -us -uc && cd ../settings &&
    DEB_BUILD_OPTIONS="noddebs parallel=$(nproc)" dpkg-buildpackage -us -uc -b -nc) \
    >"$work/build.log" 2>&1 || fail "dpkg-buildpackage: $(tail -n 30 "$work/build.log")"
! grep -i "warning" "$work/build.log" || fail "the package build warns"
lintian --display-info --pedantic --fail-on error,warning,info,pedantic "$packages"/vellumine-settings_*.changes \
    >"$work/lintian.log" 2>&1 || fail "lintian: $(grep -E '^[A-Z]: ' "$work/lintian.log" || cat "$work/lintian.log")"
deb=$(echo "$packages"/vellumine-settings_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
grep -q "libqt6widgets6.*qt6-qpa-plugins\|qt6-qpa-plugins.*libqt6widgets6" <<<"$depends" &&
    grep -q "libxcb-randr0" <<<"$depends" || fail "Depends: $depends"

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
    ! grep -q '^\.SS "Exit status' <<<"$out" || fail "$tree: two exit status sections"
    for file in "$tree"/share/man/man1/*; do
        out=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null) && [ -z "$out" ] || fail "$file at 80 columns: $out"
    done
    desktop-file-validate "$tree/share/applications/org.vellumine.Settings.desktop" || fail "$tree: desktop entry"
    appstreamcli validate --no-net "$tree/share/metainfo/org.vellumine.Settings.metainfo.xml" >&2 ||
        fail "$tree: metainfo"
    for program in vellumine-settings vellumine-settings-viewer; do
        [ "$("$tree/bin/$program" --version | head -n 1)" = "$program $version" ] ||
            fail "$tree: $program --version: $("$tree/bin/$program" --version)"
        LC_ALL=C "$tree/bin/$program" --help | grep -q "^Usage: $program " || fail "$tree: $program --help"
    done
    out=$(cd / && LANG=de_DE.UTF-8 "$tree/bin/vellumine-settings" --show "$SOURCE_DIR/example")
    grep -qx "catalog=$tree/share/vellumine-settings/Catalogs/deutsch/Vellumine/Settings.catalog" <<<"$out" ||
        fail "$tree: the installed catalog is not used: $out"
    grep -qx "windowTitle=Einstellungen für Starfield" <<<"$out" || fail "$tree: the catalog's texts are not used"
    grep -qx "viewer=$tree/bin/vellumine-settings-viewer" <<<"$out" || fail "$tree: the installed viewer is not found"
    # The window is the installation's own program in libexec (without a display it
    # says so), and it finds the same catalog and viewer.
    out=$("$tree/bin/vellumine-settings" "$SOURCE_DIR/example" 2>&1) && fail "$tree: a window without a display"
    grep -q "cannot open the display" <<<"$out" || fail "$tree: the window's program did not run: $out"
    out=$(cd / && LANG=de_DE.UTF-8 "$tree/libexec/vellumine-settings/vellumine-settings-window" --show "$SOURCE_DIR/example")
    grep -q "^catalog=$tree/share/vellumine-settings/Catalogs/deutsch/" <<<"$out" &&
        grep -q "^viewer=$tree/bin/vellumine-settings-viewer$" <<<"$out" || fail "$tree: the window's program: $out"
}

"$CMAKE" --install "$packages/settings/build-deb" --prefix "$work/prefix" --strip >/dev/null
check_tree "$work/prefix" ""
root="$work/root"
dpkg-deb -x "$deb" "$root"
! grep -aqE 'SETTINGS_(FAIL_LIBRARY|FAIL_INTERFACE|LIBRARY_VERSION|REQUEST_ANSWER|VIEWER|CATALOG_ROOTS|DRAWER_ANSWER)' \
    "$root"/usr/bin/* "$root"/usr/libexec/vellumine-settings/* || fail "a packaged program reads a test switch"
check_tree "$root" /usr

# What a file manager sees once the package is installed, from its MIME type and the
# common ones alone, as xdg-mime and GLib (GNOME's, which reads 4 KiB) tell it: classic
# and PNG icons are Amiga icons, opened by the desktop entry, and so are a README.info
# and a saved PNG icon whose icOn chunk lies past 4 KiB; a plain PNG is not. An HDF
# of a Rigid Disk Block is an Amiga hard disk image, not HDF data, and so is a bare
# one to GLib; both image types open with the desktop entry.
cp /usr/share/mime/packages/freedesktop.org.xml "$root/usr/share/mime/packages/"
update-mime-database "$root/usr/share/mime" >/dev/null 2>&1
update-desktop-database "$root/usr/share/applications"
export XDG_DATA_HOME="$work/home" XDG_CONFIG_HOME="$work/home" XDG_CONFIG_DIRS="$work/home" XDG_DATA_DIRS="$root/usr/share"
cp -r "$SOURCE_DIR/example" "$work/drawer" && cp "$work/drawer/Starfield.info" "$work/drawer/README.info"
python3 -c 'import sys, struct, zlib
d = open(sys.argv[1], "rb").read(); at = d.index(b"icOn") - 4; c = b"tEXt" + b"Comment\0" + b"x" * 5000
open(sys.argv[1], "wb").write(d[:at] + struct.pack(">I", len(c) - 4) + c + struct.pack(">I", zlib.crc32(c)) + d[at:])' \
    "$work/drawer/Starfield_OS4.info"
"$root/usr/bin/vellumine-settings" --save "$work/drawer" FULLSCREEN 2>/dev/null || fail "--save in a copy of example/"
"$BUILD_DIR/tools/diskimage" format "$work/rdb.hdf" --rdb 2,32 --partition DH0,20,1 &&
    "$BUILD_DIR/tools/diskimage" format "$work/bare.hdf" --hdf 409600 || fail "diskimage format"
gio info -a standard::content-type "$work/bare.hdf" | grep -q ": application/x-amiga-hard-disk-file$" ||
    fail "a bare HDF is not an Amiga hard disk image to GLib"
for file in "$work/drawer/Starfield.info:application/x-amiga-icon" "$work/drawer/README.info:application/x-amiga-icon" \
    "$work/drawer/Starfield_OS4.info:application/x-amiga-icon" "$SOURCE_DIR/docs/viewer.png:image/png"; do
    type=$(xdg-mime query filetype "${file%:*}"):$(gio info -a standard::content-type "${file%:*}" | sed -n 's/^ *standard::content-type: //p')
    [ "$type" = "${file##*:}:${file##*:}" ] || fail "${file%:*} is of the type $type (xdg-mime:GLib)"
done
for type in icon disk-format hard-disk-file; do
    [ "$(xdg-mime query default application/x-amiga-$type)" = org.vellumine.Settings.desktop ] ||
        fail "the desktop entry does not open application/x-amiga-$type"
done
echo "PASS"
