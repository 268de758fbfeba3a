#!/usr/bin/env bash
# The screen mode requester with the keyboard alone: a confirmed choice is saved
# as MODEID and DEPTH into every icon, a later cancelled one changes nothing.
source "$(dirname "$0")/lib.sh"

E2E_APP_SETTINGS=(FULLSCREEN MODEID=167936 DEPTH=8 MASTERVOLUME=40)  # PAL:HighRes
e2e_start_display
e2e_make_drawer
e2e_start_settings
e2e_keys Tab  # from the display mode cycle to the screen mode button

# Confirmed: the first mode (the smallest of the display) at the deepest depth
# but one, 24 bits. Cancelled: the last mode at the shallowest depth.
for choice in "Home Tab End Up Return" "End Tab Home Escape"; do
    e2e_focus "$WINDOW"
    e2e_keys space
    requester=$(e2e_wait_window "Screen Mode") || fail "the screen mode requester did not open"
    e2e_focus "$requester"
    e2e_keys $choice
    e2e_wait_gone "Screen Mode"
    e2e_expect_running "after $choice in the requester"
done

e2e_focus "$WINDOW"
e2e_keys ctrl+s
e2e_expect_exit_zero
settings=(MASTERVOLUME=40 MODEID=$(((640 << 16) | 480)) DEPTH=24 FULLSCREEN)
e2e_expect_tooltypes Starfield DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)" "${settings[@]}"
e2e_expect_tooltypes Starfield_OS3 STACK=16384 "${settings[@]}"
e2e_expect_unchanged Settings
echo "PASS"
