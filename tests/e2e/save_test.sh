#!/usr/bin/env bash
# Every setting changed with the keyboard alone, the screen mode in its requester,
# saved with Ctrl+S while a platform icon may not be written: the others are
# written, it is named in a requester, the window stays open. Saved again once it
# may be written: every icon but the tool's own gets the new settings, keeping its
# other tooltypes and every other byte, and the tool ends with exit value 0. The
# tool's icon and one platform icon, with a selected image, are PNG.
source "$(dirname "$0")/lib.sh"

E2E_APP_SETTINGS=(FULLSCREEN MODEID=167936 DEPTH=8 MASTERVOLUME=40)  # PAL:HighRes
e2e_start_display
e2e_make_drawer
E2E_MADE[Starfield_OS4]="--png --select-image --type tool --default-tool Starfield_OS4"
"$MKICON" "$DRAWER/Settings.info" --png --type tool \
    APPLICATION=Starfield AMIGAOS3=Starfield_OS3 MORPHOS=Starfield_MOS AMIGAOS4=Starfield_OS4
"$MKICON" "$DRAWER/Starfield_OS4.info" ${E2E_MADE[Starfield_OS4]} STACK=32768 WINDOW
cp -p "$DRAWER"/*.info "$E2E_DIR/before/"
chmod 0444 "$DRAWER/Starfield_OS3.info"
e2e_start_settings
# Focus starts on the display mode cycle: through "Window on Workbench" and
# back to "Full screen (manual mode select)".
e2e_keys Up Up Down Down
# The screen mode button: the first mode (the smallest of the display) at the
# deepest depth but one, 24 bits.
e2e_keys Tab space
requester=$(e2e_wait_window "Screen Mode") || fail "the screen mode requester did not open"
e2e_focus "$requester"
e2e_keys Home Tab End Up Return
e2e_wait_gone "Screen Mode"
e2e_focus "$WINDOW"
# The sound checkmark and the volume slider.
e2e_keys Tab Tab Right Right Right
# Back to the sound checkmark: sound off ghosts the volume slider, which the
# chain then leaves out: on to the fps checkmark and its slider.
e2e_keys shift+Tab space Tab space Tab End Left Left
e2e_keys ctrl+s
requester=$(e2e_wait_window "$E2E_TITLE") || fail "no requester named the icon"
e2e_focus "$requester"
e2e_keys Return
sleep 0.3
kill -0 "$SETTINGS_PID" 2>/dev/null || fail "the window closed after a failed save"
e2e_expect_unchanged Starfield_OS3
chmod 0644 "$DRAWER/Starfield_OS3.info"
e2e_focus "$WINDOW"
e2e_keys ctrl+s
e2e_expect_exit_zero

settings=(MASTERVOLUME=43 NOSOUND FPSLIMIT=48 MODEID=$(((640 << 16) | 480)) DEPTH=24 FULLSCREEN)
e2e_expect_tooltypes Starfield DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)" FULLSCREEN MODEID=$(((640 << 16) | 480)) DEPTH=24 \
    MASTERVOLUME=43 NOSOUND FPSLIMIT=48  # each in its place, the others after
e2e_expect_tooltypes Starfield_OS3 STACK=16384 "${settings[@]}"
e2e_expect_tooltypes Starfield_OS4 STACK=32768 "${settings[@]}"
e2e_expect_tooltypes Starfield_MOS FULLSCREEN PUBSCREEN=Workbench "${settings[@]:0:5}"  # "  Fullscreen" in place
e2e_expect_unchanged Settings
echo "PASS"
