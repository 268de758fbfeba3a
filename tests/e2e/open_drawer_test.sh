#!/usr/bin/env bash
# Outside an application's drawer with none named (the desktop's menu) the chooser
# asks for one; cancelled, the run ends with exit value 0, nothing written; a folder
# without Settings.info is said so and the chooser comes back; the drawer typed there
# opens and Save writes its icons. Ctrl+O with an edit asks first (Save writes it),
# then opens another drawer, whose Save writes only its icons; Open recent asks too.
# An icon outside any drawer is said so; the chooser starts beside the latest
# drawer, selected. Cancelled, the chooser leaves nothing in the configuration folder.
source "$(dirname "$0")/lib.sh"

e2e_start_display
e2e_make_drawer
e2e_make_other_drawer
mkdir "$E2E_DIR/empty"
kept=(DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)")
start_outside() {
    (cd "$E2E_DIR/empty" && exec "$SETTINGS_BIN" "$@") >"$E2E_DIR/settings.out" 2>"$E2E_DIR/settings.err" &
    SETTINGS_PID=$! WINDOW=""
}

start_outside
e2e_wait_chooser
e2e_keys Escape
e2e_expect_exit_zero
e2e_expect_unchanged
[ ! -e "$XDG_CONFIG_HOME/QtProject.conf" ] || fail "the chooser left QtProject.conf behind"

start_outside
e2e_choose_drawer "$E2E_DIR/empty"
e2e_answer "Vellumine settings" Return  # a folder without Settings.info
e2e_choose_drawer "$DRAWER"
WINDOW=$(e2e_wait_window "$E2E_TITLE") || fail "the chosen drawer's window did not appear"
e2e_focus "$WINDOW"
e2e_keys Down ctrl+s  # full screen
e2e_expect_exit_zero
e2e_expect_tooltypes Starfield "${kept[@]}" MASTERVOLUME=40 FULLSCREEN

cp -p "$E2E_DIR"/before/Starfield*.info "$DRAWER/"
e2e_start_settings
e2e_keys Down ctrl+o
e2e_answer "$E2E_TITLE" alt+s  # Save
e2e_choose_drawer "$OTHER"
WINDOW=$(e2e_wait_window "Nebula Settings") || fail "Ctrl+O did not open the other drawer"
e2e_focus "$WINDOW"
e2e_keys Down ctrl+s
e2e_expect_exit_zero
e2e_expect_tooltypes Starfield "${kept[@]}" MASTERVOLUME=40 FULLSCREEN
DRAWER=$OTHER e2e_expect_tooltypes Nebula FPSLIMIT=20 MASTERVOLUME=40 FULLSCREEN

# Open recent: the drawers besides the one open, the latest first, by the number
# that is each one's key. An edit is asked about: Discard leaves it unsaved.
(cd "$OTHER" && exec "$SETTINGS_BIN") >"$E2E_DIR/settings.out" 2>"$E2E_DIR/settings.err" &
SETTINGS_PID=$!
WINDOW=$(e2e_wait_window "Nebula Settings") || fail "the other drawer's window did not appear"
e2e_focus "$WINDOW"
e2e_keys Down alt Down Down Down Right 1
e2e_answer "Nebula Settings" shift+Tab space  # from Cancel to Discard
WINDOW=$(e2e_wait_window "$E2E_TITLE") || fail "Open recent did not open the drawer"
e2e_focus "$WINDOW"
e2e_keys ctrl+s
e2e_expect_exit_zero
DRAWER=$OTHER e2e_expect_tooltypes Nebula FPSLIMIT=20 MASTERVOLUME=40 FULLSCREEN
e2e_expect_tooltypes Starfield "${kept[@]}" MASTERVOLUME=40 FULLSCREEN

"$MKICON" "$E2E_DIR/empty/Foreign.info" --type project
start_outside "$E2E_DIR/empty/Foreign.info"
e2e_answer "Vellumine settings" Return
e2e_wait_chooser && e2e_keys Return  # where it starts: the drawer opened last
WINDOW=$(e2e_wait_window "$E2E_TITLE") || fail "the chooser did not start in the latest drawer"
"$BUILD_DIR/tests/close_window" "$WINDOW"
e2e_expect_exit_zero
echo "PASS"
