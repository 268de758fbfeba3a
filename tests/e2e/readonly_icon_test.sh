#!/usr/bin/env bash
# A platform icon that may not be written: Save writes the others, names it in a
# requester and keeps the window open; Exit then ends the tool with exit value 0.
source "$(dirname "$0")/lib.sh"

e2e_start_display
e2e_make_drawer
chmod 0444 "$DRAWER/Starfield_OS3.info"
e2e_start_settings
e2e_keys Down          # full screen, automatic mode
e2e_keys ctrl+s
requester=$(e2e_wait_window "$E2E_TITLE") || fail "no requester named the icon"
e2e_focus "$requester"
e2e_keys Return
sleep 0.3
e2e_expect_running "the window closed after a failed save"
e2e_expect_tooltypes Starfield DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)" MASTERVOLUME=40 FULLSCREEN
e2e_expect_tooltypes Starfield_MOS PUBSCREEN=Workbench MASTERVOLUME=40 FULLSCREEN
e2e_expect_unchanged Starfield_OS3 Settings
e2e_focus "$WINDOW"
e2e_keys ctrl+e
e2e_expect_exit_zero
echo "PASS"
