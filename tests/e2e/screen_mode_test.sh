#!/usr/bin/env bash
# The screen mode requester with the keyboard alone: a cancelled choice changes
# nothing, a confirmed one is saved as MODEID and DEPTH into every icon.
source "$(dirname "$0")/lib.sh"

E2E_APP_SETTINGS=(FULLSCREEN MODEID=167936 DEPTH=8 MASTERVOLUME=40)  # PAL:HighRes
e2e_start_display
e2e_make_drawer
e2e_start_settings

# Opens the requester from the screen mode button (focus on the display mode
# cycle, one Tab on) and gives it the keyboard.
open_requester() {
    xdotool windowfocus --sync "$WINDOW"
    e2e_keys space
    REQUESTER=$(e2e_wait_requester "Screen Mode") || fail "the screen mode requester did not open"
    xdotool windowfocus --sync "$REQUESTER"
    sleep 0.3
}

expect_requester_closed() {
    local i
    for i in $(seq 50); do
        xdotool search --onlyvisible --name "^Screen Mode\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "the screen mode requester did not close"
}

xdotool windowfocus --sync "$WINDOW"
e2e_keys Tab

# A choice made and cancelled with Escape.
open_requester
e2e_keys Home Tab End
e2e_keys Escape
expect_requester_closed
e2e_expect_running "after cancelling the requester"

# The first mode (the smallest of the display), at 24 bits: the deepest, one up.
open_requester
e2e_keys Home Tab End Up
e2e_keys Return
expect_requester_closed
e2e_expect_running "after confirming the requester"

xdotool windowfocus --sync "$WINDOW"
e2e_keys ctrl+s
e2e_expect_exit_zero

settings=(MASTERVOLUME=40 MODEID=$(((640 << 16) | 480)) DEPTH=24 FULLSCREEN)
e2e_expect_tooltypes Starfield DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)" "${settings[@]}"
e2e_expect_tooltypes Starfield_OS3 STACK=16384 "${settings[@]}"
e2e_expect_unchanged Settings
echo "PASS"
