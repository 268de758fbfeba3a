#!/usr/bin/env bash
# The screen mode requester with the keyboard alone: the chosen mode and depth
# are saved as MODEID and DEPTH.
source "$(dirname "$0")/lib.sh"

E2E_APP_SETTINGS=(FULLSCREEN MODEID=167936 DEPTH=8 MASTERVOLUME=40)  # PAL:HighRes
e2e_start_display
e2e_make_drawer
e2e_start_settings
e2e_keys Tab space  # the screen mode button
requester=$(e2e_wait_window "Screen Mode") || fail "the screen mode requester did not open"
e2e_focus "$requester"
# The first mode (the smallest of the display) at the deepest depth but one, 24 bits.
e2e_keys Home Tab End Up Return
e2e_wait_gone "Screen Mode"
e2e_focus "$WINDOW"
e2e_keys ctrl+s
e2e_expect_exit_zero
e2e_expect_tooltypes Starfield DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)" MASTERVOLUME=40 MODEID=$(((640 << 16) | 480)) DEPTH=24 FULLSCREEN
echo "PASS"
