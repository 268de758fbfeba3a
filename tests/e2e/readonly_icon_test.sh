#!/usr/bin/env bash
# A platform icon that may not be written and one that is not an icon: Save writes
# the others, names them in a requester and keeps the window open; closing the
# window then ends the tool with exit value 0.
source "$(dirname "$0")/lib.sh"

e2e_start_display
e2e_make_drawer
chmod 0444 "$DRAWER/Starfield_OS3.info"
printf 'not an icon' | tee "$DRAWER/Starfield_MOS.info" >"$E2E_DIR/before/Starfield_MOS.info"
e2e_start_settings
e2e_keys Down          # full screen, automatic mode
e2e_keys ctrl+s
requester=$(e2e_wait_window "$E2E_TITLE") || fail "no requester named the icons"
e2e_focus "$requester"
e2e_keys Return
sleep 0.3
e2e_expect_running "the window closed after a failed save"
e2e_expect_tooltypes Starfield DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)" MASTERVOLUME=40 FULLSCREEN
e2e_expect_unchanged Starfield_OS3 Starfield_MOS Settings
e2e_close_window "$WINDOW"
e2e_expect_exit_zero
echo "PASS"
