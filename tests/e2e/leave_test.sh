#!/usr/bin/env bash
# Leaving without saving, after changing settings: the close gadget writes no
# icon; exit value 0.
source "$(dirname "$0")/lib.sh"

e2e_start_display
e2e_make_drawer
e2e_start_settings
e2e_keys Down Tab space  # full screen, automatic mode; sound off
e2e_close_window "$WINDOW"
e2e_expect_exit_zero
e2e_expect_unchanged
echo "PASS"
