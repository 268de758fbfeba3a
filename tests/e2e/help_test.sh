#!/usr/bin/env bash
# Help with the keyboard alone: the help document (a name with spaces) opens in
# the program's own viewer while the window sleeps; closing the viewer wakes the
# window, which goes on working; a document the viewer refuses and a help file
# that has gone are reported.
source "$(dirname "$0")/lib.sh"

: "${SOURCE_DIR:?SOURCE_DIR must name the source tree}"
HELP_NAME="Star field help.md"
VIEWER_TITLE="$HELP_NAME - Help"

e2e_start_display
e2e_make_drawer "HELP=$HELP_NAME"
cp "$SOURCE_DIR/example/Starfield.md" "$DRAWER/$HELP_NAME"
e2e_start_settings

# Twice, Help (Ctrl+H), then the viewer closed by the given key.
for close in Escape ctrl+w; do
    e2e_focus "$WINDOW"
    e2e_keys ctrl+h
    viewer=$(e2e_wait_window "$VIEWER_TITLE") || fail "the help viewer did not open"
    if [ "$close" = Escape ]; then
        # The sleeping window takes no input: its Exit shortcut does nothing.
        e2e_focus "$WINDOW"
        e2e_keys ctrl+e
        sleep 0.3
        e2e_expect_running "the sleeping window took Ctrl+E"
        xdotool search --onlyvisible --name "^$VIEWER_TITLE\$" >/dev/null || fail "the viewer went away"
    fi
    e2e_focus "$viewer"
    e2e_keys "$close"
    e2e_wait_gone "$VIEWER_TITLE"
    sleep 0.3
done

# A help document the viewer refuses (not a text): it says so in a box of its own.
printf 'PK\003\004\000\000' >"$DRAWER/$HELP_NAME"
e2e_focus "$WINDOW"
e2e_keys ctrl+h
refusal=$(e2e_wait_window "$VIEWER_TITLE") || fail "the viewer's refusal was not shown"
e2e_focus "$refusal"
e2e_keys Return
e2e_wait_gone "$VIEWER_TITLE"
sleep 0.3

# The help document gone: a requester names it, the window stays awake.
rm "$DRAWER/$HELP_NAME"
e2e_focus "$WINDOW"
e2e_keys ctrl+h
requester=$(e2e_wait_window "$E2E_TITLE") || fail "no requester for the missing help file"
e2e_focus "$requester"
e2e_keys Return
sleep 0.3
e2e_expect_running "after the missing help file's requester"

e2e_focus "$WINDOW"
e2e_keys ctrl+e
e2e_expect_exit_zero
e2e_expect_unchanged
echo "PASS"
