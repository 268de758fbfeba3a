#!/usr/bin/env bash
# Help with the keyboard alone: the help document (a name with spaces) opens in
# the program's own viewer; closing the viewer wakes the window, which goes on
# working; a document the viewer refuses is reported in a box of its own.
source "$(dirname "$0")/lib.sh"

: "${SOURCE_DIR:?SOURCE_DIR must name the source tree}"
HELP_NAME="Star field help.md"
VIEWER_TITLE="$HELP_NAME - Help"
e2e_start_display
e2e_make_drawer "HELP=$HELP_NAME"
cp "$SOURCE_DIR/example/Starfield.md" "$DRAWER/$HELP_NAME"
e2e_start_settings
e2e_keys ctrl+h
viewer=$(e2e_wait_window "$VIEWER_TITLE") || fail "the help viewer did not open"
e2e_focus "$viewer"
e2e_keys Escape
e2e_wait_gone "$VIEWER_TITLE"
sleep 0.3

printf 'PK\003\004\000\000' >"$DRAWER/$HELP_NAME"
e2e_focus "$WINDOW"
e2e_keys ctrl+h
refusal=$(e2e_wait_window "$VIEWER_TITLE") || fail "the viewer's refusal was not shown"
e2e_focus "$refusal"
e2e_keys Return
e2e_wait_gone "$VIEWER_TITLE"
sleep 0.3
e2e_focus "$WINDOW"
e2e_keys ctrl+e
e2e_expect_exit_zero
echo "PASS"
