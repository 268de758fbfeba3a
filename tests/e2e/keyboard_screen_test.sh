#!/usr/bin/env bash
# The keyboard alone and a small screen: --list-modes and --show see the screen;
# F10 opens the menu bar and the arrows walk it to "Save prefs", as Alt+P and
# Return do; Return on the focused Cancel and Ctrl+Q ask about the edit, and
# Return there (Cancel) keeps the window, Discard leaves without writing; at
# QT_SCALE_FACTOR=2 on the 1024x768 screen the whole window, its Save and Cancel
# buttons with it, lies inside the screen, in Portuguese, whose texts make the
# widest window, and so do the icons overview, the notice after a script's save and
# the screen mode requester in German and Greek. With LANG=de_DE.UTF-8 the window comes up in German
# from the catalog compiled at build time, and its translated menu shortcut
# (Ctrl+B, "Beenden") ends the tool.
source "$(dirname "$0")/lib.sh"

e2e_start_display
e2e_make_drawer

# The command line asks the display, as the requester does: the host's modes end
# at the 1024x768 screen, which is the start screen.
"$SETTINGS_BIN" --list-modes >"$E2E_DIR/out" 2>"$E2E_DIR/err" && [ ! -s "$E2E_DIR/err" ] &&
    grep -q 'Display:1024x768' "$E2E_DIR/out" && ! grep -q 'Display:1280' "$E2E_DIR/out" ||
    fail "--list-modes on 1024x768: $(cat "$E2E_DIR/err" "$E2E_DIR/out")"
"$SETTINGS_BIN" --show "$DRAWER" | grep -q '^modeId=0x04000300 ' || fail "--show's start screen is not the display's"

for keys in "F10 Right Left" alt+p; do  # Prefs, back to Project; or Project at once
    e2e_start_settings
    e2e_keys Down                          # full screen, automatic mode
    e2e_keys $keys
    e2e_keys Return                        # its first item
    e2e_expect_exit_zero
    cmp -s "$DRAWER/Starfield.info" "$E2E_DIR/before/Starfield.info" && fail "$keys: the menu did not save"
    e2e_expect_unchanged Settings
    cp -p "$E2E_DIR/before"/*.info "$DRAWER/"
done
cp -p "$DRAWER"/*.info "$E2E_DIR/before/"

e2e_start_settings
e2e_keys Down
e2e_keys shift+Tab               # back round to Cancel, the last control
e2e_keys Return
e2e_answer "$E2E_TITLE" Return   # Cancel: the window stays
e2e_focus "$WINDOW"; e2e_keys ctrl+q
e2e_answer "$E2E_TITLE" alt+d
e2e_expect_exit_zero
e2e_expect_unchanged

LANGUAGE= LC_ALL= LC_MESSAGES= LANG=pt_PT.UTF-8 QT_SCALE_FACTOR=2 E2E_TITLE="Defini[^ ]+es de Starfield" e2e_start_settings
sleep 0.5
# The window of that id lies inside the 1024x768 screen.
expect_inside() {
    local x y w h
    read -r x y w h < <(xwininfo -id "$1" |
        awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF}
             END{print x, y, w, h}')
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le 1024 ] && [ $((y + h)) -le 768 ] ||
        fail "$2 ${w}x${h}+${x}+${y} leaves the 1024x768 screen"
}
expect_inside "$WINDOW" "the window"
[ -n "${E2E_SHOT:-}" ] && import -window root "$E2E_SHOT"
e2e_keys Escape
e2e_expect_exit_zero
while IFS='|' read -r lang title requester; do
    LANGUAGE= LC_ALL= LC_MESSAGES= LANG=$lang QT_SCALE_FACTOR=2 E2E_TITLE="$title" e2e_start_settings
    e2e_keys ctrl+i
    expect_inside "$(e2e_wait_window "$title")" "$lang: the icons overview"
    e2e_keys Escape
    e2e_focus "$WINDOW"
    "$SETTINGS_BIN" --save "$DRAWER" MASTERVOLUME=${#title} >/dev/null && sleep 0.6  # the notice wraps
    expect_inside "$WINDOW" "$lang: the window with its notice line"
    e2e_keys Down Down Tab space      # full screen in a mode: its requester
    expect_inside "$(e2e_wait_window "$requester")" "$lang: the screen mode requester"
    e2e_keys Escape Escape
    e2e_answer "$title" shift+Tab space  # Discard
    e2e_expect_exit_zero
done <<LANGS
de_DE.UTF-8|Einstellungen f[^ ]+r Starfield|Bildschirmmodus
el_GR.UTF-8|[^ ]+ Starfield|[^ ]+ [^ ]+
LANGS
cp -p "$E2E_DIR"/before/*.info "$DRAWER/"
LANGUAGE= LC_ALL= LC_MESSAGES= LANG=de_DE.UTF-8 E2E_TITLE="Einstellungen f[^ ]+r Starfield" e2e_start_settings
e2e_keys ctrl+b
e2e_expect_exit_zero
e2e_expect_unchanged
echo "PASS"
