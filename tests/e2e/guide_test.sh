#!/usr/bin/env bash
# Help on the example's AmigaGuide manual: it opens at its first node while the
# window sleeps; a link followed with the keyboard, Retrace, Browse, the Index,
# a command link that runs nothing; closing the viewer wakes the window. A help
# document the viewer refuses (not a text) is reported in a box of its own.
source "$(dirname "$0")/lib.sh"

: "${SOURCE_DIR:?SOURCE_DIR must name the source tree}"

e2e_start_display
e2e_make_drawer "HELP=Starfield.guide"
cp "$SOURCE_DIR/example/Starfield.guide" "$SOURCE_DIR/example/Starfield.md" "$DRAWER/"
# The program the manual's command link names leaves a mark if it is ever run.
mkdir "$E2E_DIR/bin"
printf '#!/bin/sh\ntouch "%s/ran"\n' "$E2E_DIR" >"$E2E_DIR/bin/OpenURL"
chmod +x "$E2E_DIR/bin/OpenURL"
export PATH="$E2E_DIR/bin:$PATH"
e2e_start_settings

e2e_keys F1                       # as Ctrl+H
viewer=$(e2e_wait_window "Starfield manual - Help") || fail "the manual did not open at its first node"
e2e_focus "$viewer"

# Keys in the viewer, then the node it must show.
expect_node() {
    local keys=$1 title=$2
    e2e_keys $keys
    e2e_wait_window "$title - Help" >/dev/null ||
        fail "after $keys the viewer shows \"$(xdotool getwindowname "$viewer")\", not \"$title\""
}
expect_node "Tab Tab Return" "The settings window"
expect_node BackSpace "Starfield manual"
expect_node "greater greater" "The settings window"
expect_node less "About Starfield"
expect_node alt+i "Index"
expect_node "Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Return" "Tooltypes"
expect_node "Tab Return" "Tooltypes"
sleep 0.5
[ ! -e "$E2E_DIR/ran" ] || fail "the command link ran its command"

e2e_keys Escape
e2e_wait_gone "Tooltypes - Help"
sleep 0.3
printf 'PK\003\004\000\000' >"$DRAWER/Starfield.guide"
e2e_focus "$WINDOW"
e2e_keys ctrl+h
refusal=$(e2e_wait_window "Starfield.guide - Help") || fail "the viewer's refusal was not shown"
e2e_focus "$refusal"
e2e_keys Return
e2e_wait_gone "Starfield.guide - Help"
sleep 0.3
for i in $(seq 20); do  # awake once the viewer has ended, the window takes its Exit shortcut
    e2e_focus "$WINDOW"; e2e_keys ctrl+e; sleep 0.2; kill -0 "$SETTINGS_PID" 2>/dev/null || break
done
e2e_expect_exit_zero
e2e_expect_unchanged
echo "PASS"
