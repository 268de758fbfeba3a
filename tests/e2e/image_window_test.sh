#!/usr/bin/env bash
# The window on a drawer inside a disk image, named on its command line: it shows
# the settings the image's icons hold, Help shows the image's document, and Save
# writes into the image, which the checker and unadf read back, and nothing into
# the current folder. The image named alone, with a drawer in each partition, lists
# them in a requester; the one chosen with the keyboard opens, and Save writes it.
# Open... starts beside the image, and cancelling its drawers brings the chooser back.
source "$(dirname "$0")/lib.sh"
DISK="$BUILD_DIR/tools/diskimage"
e2e_start_display
e2e_make_drawer
image="$E2E_DIR/work.hdf"
"$DISK" format "$image" --rdb 4,32 --partition DH0,10,1 --partition DH1,20,3 --name Work
"$DISK" mkdir "$image" --part DH1 Starfield
"$MKICON" "$DRAWER/Settings.info" --type tool APPLICATION=Starfield AMIGAOS3=Starfield_OS3 MORPHOS=Starfield_MOS \
    HELP=Docs/Starfield.guide
echo "@database Starfield" >"$E2E_DIR/guide" && "$DISK" mkdir "$image" --part DH1 Starfield/Docs
"$DISK" put "$image" --part DH1 Starfield/Docs/Starfield.guide "$E2E_DIR/guide"
printf '#!/bin/sh\ncp "$1" "%s/shown"\n' "$E2E_DIR" >"$E2E_DIR/viewer" && chmod +x "$E2E_DIR/viewer"
for name in Settings Starfield Starfield_OS3 Starfield_MOS; do
    "$DISK" put "$image" --part DH1 "Starfield/$name.info" "$DRAWER/$name.info"
done
# A drawer of another application is the current folder: nothing of it is read or written.
"$MKICON" "$DRAWER/Settings.info" --type tool APPLICATION=Other && cp -p "$DRAWER/Settings.info" "$E2E_DIR/before/"
(cd "$DRAWER" && exec env SETTINGS_VIEWER="$E2E_DIR/viewer" "$SETTINGS_BIN" "$image:dh1:starfield") >"$E2E_DIR/settings.out" 2>"$E2E_DIR/settings.err" &
SETTINGS_PID=$!
WINDOW=$(e2e_wait_window "$E2E_TITLE") || fail "the settings window did not appear: $(cat "$E2E_DIR/settings.err")"
e2e_focus "$WINDOW"
e2e_keys F1 && sleep 1 && cmp -s "$E2E_DIR/shown" "$E2E_DIR/guide" || fail "Help did not show the image's document"
e2e_focus "$WINDOW"
e2e_keys Down ctrl+s  # full screen, saved
e2e_expect_exit_zero
e2e_expect_unchanged
"$SETTINGS_BIN" --show "$image:DH1:Starfield" 2>/dev/null | grep -qx "displayModeName=fullscreen-auto" ||
    fail "the image's icons do not hold the saved settings"
"$DISK" check "$image" >"$E2E_DIR/check" 2>&1 && [ ! -s "$E2E_DIR/check" ] || fail "$(cat "$E2E_DIR/check")"
mkdir "$E2E_DIR/x" && unadf -v 1 -r "$image" -d "$E2E_DIR/x" >/dev/null 2>&1 || fail "unadf cannot extract"
"$DISK" get "$image" --part DH1 Starfield/Starfield.info | cmp -s - "$E2E_DIR/x/Starfield/Starfield.info" ||
    fail "unadf reads another Starfield.info"
mkdir "$E2E_DIR/nebula" && "$MKICON" "$E2E_DIR/nebula/Settings.info" --type tool APPLICATION=Nebula
"$DISK" mkdir "$image" --part DH0 Nebula && "$DISK" put "$image" --part DH0 Nebula/Settings.info "$E2E_DIR/nebula/Settings.info"
(cd "$DRAWER" && exec "$SETTINGS_BIN" "$image") >"$E2E_DIR/settings.out" 2>"$E2E_DIR/settings.err" &
SETTINGS_PID=$! WINDOW=""
e2e_answer "Vellumine settings" Down Return  # DH0's Nebula, then DH1's Starfield
WINDOW=$(e2e_wait_window "$E2E_TITLE") || fail "the drawer chosen in the image did not open"
e2e_focus "$WINDOW"
e2e_keys ctrl+o && e2e_wait_chooser && e2e_keys Return  # beside the drawer's image, the image selected
e2e_answer "$E2E_TITLE" Escape && e2e_wait_chooser && e2e_keys Escape  # its drawers listed; both cancelled
e2e_focus "$WINDOW"
e2e_keys Up ctrl+s  # a window again, saved
e2e_expect_exit_zero
"$SETTINGS_BIN" --show "$image:DH1:Starfield" 2>/dev/null | grep -qx "displayModeName=window" ||
    fail "the drawer chosen does not hold the saved settings"
"$DISK" check "$image" >"$E2E_DIR/check" 2>&1 && [ ! -s "$E2E_DIR/check" ] || fail "$(cat "$E2E_DIR/check")"
rm -rf "$E2E_DIR/x" && mkdir "$E2E_DIR/x" && unadf -v 1 -r "$image" -d "$E2E_DIR/x" >/dev/null 2>&1 || fail "unadf cannot extract"
"$DISK" get "$image" --part DH1 Starfield/Starfield.info | cmp -s - "$E2E_DIR/x/Starfield/Starfield.info" ||
    fail "unadf reads another Starfield.info"
echo "PASS"
