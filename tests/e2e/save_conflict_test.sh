#!/usr/bin/env bash
# A script saves while the window is open. Without an edit in the window, the
# window shows the script's values and the window's Save keeps them. With an
# edit, Save asks first: "Save over them" writes the window's values, "Reload"
# shows the script's values in the window and writes nothing until the next
# Save, "Cancel" (Escape, and Return: the default) writes nothing; closing the
# window then asks about the edit.
source "$(dirname "$0")/lib.sh"

kept=(DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)")
e2e_start_display
e2e_make_drawer
script_saves() {
    "$SETTINGS_BIN" --save "$DRAWER" FPSLIMIT=7 MASTERVOLUME=9 >/dev/null || fail "--save failed"
    cp -p "$DRAWER/Starfield.info" "$E2E_DIR/scripted.info"
    sleep 0.6  # the window sees the change
}

for answer in none save reload cancel; do
    cp -p "$E2E_DIR"/before/*.info "$DRAWER/"
    e2e_start_settings
    [ $answer = none ] || e2e_keys Down  # full screen
    script_saves
    e2e_keys ctrl+s
    if [ $answer != none ]; then
        case $answer in  # by their access keys
        save) e2e_answer "$E2E_TITLE" alt+s ;;
        reload) e2e_answer "$E2E_TITLE" alt+r ;;
        cancel) e2e_answer "$E2E_TITLE" Return Escape ;;
        esac
        if [ $answer != save ]; then
            sleep 0.3
            kill -0 "$SETTINGS_PID" 2>/dev/null || fail "$answer ended the window"
            cmp -s "$DRAWER/Starfield.info" "$E2E_DIR/scripted.info" || fail "$answer wrote the icon"
            [ $answer = reload ] || { "$BUILD_DIR/tests/close_window" "$WINDOW"; e2e_answer "$E2E_TITLE" alt+d; }
            [ $answer = cancel ] || { e2e_focus "$WINDOW"; e2e_keys ctrl+s; }
        fi
    fi
    e2e_expect_exit_zero
    case $answer in
    none | reload) e2e_expect_tooltypes Starfield "${kept[@]}" WINDOW MASTERVOLUME=9 FPSLIMIT=7 ;;
    save) e2e_expect_tooltypes Starfield "${kept[@]}" MASTERVOLUME=40 FULLSCREEN ;;
    cancel) cmp -s "$DRAWER/Starfield.info" "$E2E_DIR/scripted.info" || fail "cancel wrote the icon" ;;
    esac
done
echo "PASS"
