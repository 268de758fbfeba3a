#!/usr/bin/env bash
# Help with the keyboard alone: the help document (a name with spaces) opens in
# the program's own viewer while the window sleeps; closing the viewer wakes the
# window, which goes on working; a help file that has gone is reported.
source "$(dirname "$0")/lib.sh"

: "${SOURCE_DIR:?SOURCE_DIR must name the source tree}"
HELP_NAME="Star field help.md"
VIEWER_TITLE="$HELP_NAME - Help"

e2e_start_display
e2e_make_drawer "HELP=$HELP_NAME"
cp "$SOURCE_DIR/example/Starfield.md" "$DRAWER/$HELP_NAME"
e2e_start_settings

wait_viewer() {
    VIEWER=$(timeout 30 xdotool search --sync --onlyvisible --name "^$VIEWER_TITLE\$" | head -n 1) ||
        fail "the help viewer did not open"
    sleep 0.3
}

expect_viewer_closed() {
    local i
    for i in $(seq 100); do
        xdotool search --onlyvisible --name "^$VIEWER_TITLE\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "the help viewer did not close"
}

# Ctrl+H is the menu item "Help".
e2e_keys ctrl+h
wait_viewer

# The sleeping window takes no input: its Exit shortcut does nothing.
xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
e2e_keys ctrl+e
sleep 0.3
e2e_expect_running "the sleeping window took Ctrl+E"
xdotool search --onlyvisible --name "^$VIEWER_TITLE\$" >/dev/null || fail "the viewer went away"

# Escape closes the viewer; the window wakes and Help works again.
xdotool windowfocus --sync "$VIEWER"
e2e_keys Escape
expect_viewer_closed
sleep 0.3
xdotool windowfocus --sync "$WINDOW"
e2e_keys ctrl+h
wait_viewer
xdotool windowfocus --sync "$VIEWER"
e2e_keys ctrl+w
expect_viewer_closed
sleep 0.3

# The help document gone: a requester names it, the window stays awake.
rm "$DRAWER/$HELP_NAME"
xdotool windowfocus --sync "$WINDOW"
e2e_keys ctrl+h
REQUEST=$(e2e_wait_requester "$E2E_TITLE") || fail "no requester for the missing help file"
xdotool windowfocus --sync "$REQUEST"
e2e_keys Return
sleep 0.3
e2e_expect_running "after the missing help file's requester"

xdotool windowfocus --sync "$WINDOW"
e2e_keys ctrl+e
e2e_expect_exit_zero
e2e_expect_unchanged Settings Starfield Starfield_OS3 Starfield_MOS
echo "PASS"
