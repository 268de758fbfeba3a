#!/usr/bin/env bash
# The Edit menu with the keyboard, each item after an edit and then Save: Reset
# to defaults gives the record's defaults (the fps slider at 50), Last saved what
# the application's icon holds now (rewritten while the window is open), Restore
# the values the window opened with. Last, leaving by the close gadget after an
# edit asks; Discard writes no icon; exit value 0.
source "$(dirname "$0")/lib.sh"

E2E_APP_SETTINGS=(FULLSCREEN MODEID=167936 DEPTH=8 FPSLIMIT=25 MASTERVOLUME=30 NOSOUND)
kept=(DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)")
e2e_start_display
e2e_make_drawer
for item in d l r close; do
    cp -p "$E2E_DIR"/before/*.info "$DRAWER/"
    e2e_start_settings
    e2e_keys Up  # full screen, automatic mode
    [ $item != close ] || { "$BUILD_DIR/tests/close_window" "$WINDOW"; e2e_answer "$E2E_TITLE" alt+d; e2e_expect_exit_zero; e2e_expect_unchanged; continue; }
    [ $item != l ] || "$MKICON" "$DRAWER/Starfield.info" ${E2E_MADE[Starfield]} DONOTWAIT WINDOW FPSLIMIT=10
    e2e_keys ctrl+$item
    [ $item != d ] || e2e_keys Tab Tab Tab space  # past sound and volume to the fps limit
    e2e_keys ctrl+s
    e2e_expect_exit_zero
    case $item in
    d) e2e_expect_tooltypes Starfield "${kept[@]}" FPSLIMIT=50 MASTERVOLUME=40 WINDOW ;;
    l) e2e_expect_tooltypes Starfield DONOTWAIT WINDOW FPSLIMIT=10 MASTERVOLUME=40 ;;
    r) e2e_expect_tooltypes Starfield "${kept[@]}" "${E2E_APP_SETTINGS[@]}" ;;
    esac
done
echo "PASS"
