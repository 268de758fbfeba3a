#!/usr/bin/env bash
# Leaving without saving, after changing settings: the Cancel button (the last
# control of the chain, the ghosted sliders left out, pressed with Space), the
# menu item "Exit" (Ctrl+E), Escape and the window's close gadget write no icon
# and end with exit value 0.
source "$(dirname "$0")/lib.sh"

e2e_start_display
e2e_make_drawer
for leave in "e2e_keys Tab Tab Tab Tab Tab space" "e2e_keys ctrl+e" "e2e_keys Escape" 'e2e_close_window "$WINDOW"'; do
    e2e_start_settings
    e2e_keys Down          # full screen, automatic mode
    e2e_keys Tab space     # sound off
    eval "$leave"
    e2e_expect_exit_zero
    e2e_expect_unchanged
done
echo "PASS"
