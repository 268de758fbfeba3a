#!/usr/bin/env bash
# Started outside an application's drawer with none named, as from the desktop's
# menu: the folder chooser asks for one; cancelled, the run ends with exit value 0
# and nothing written; a folder without Settings.info is said so and the chooser
# comes back; the drawer typed there opens and Save writes its icons. Ctrl+O opens
# another drawer in the window, whose Save writes only that drawer's icons; Open
# recent goes back to a drawer worked on before, asking first about an edit.
source "$(dirname "$0")/lib.sh"

e2e_start_display
e2e_make_drawer
e2e_make_other_drawer
mkdir "$E2E_DIR/empty"
start_outside() {
    (cd "$E2E_DIR/empty" && exec "$SETTINGS_BIN") >"$E2E_DIR/settings.out" 2>"$E2E_DIR/settings.err" &
    SETTINGS_PID=$! WINDOW=""
}

start_outside
e2e_wait_chooser
e2e_keys Escape
e2e_expect_exit_zero
e2e_expect_unchanged

start_outside
e2e_choose_drawer "$E2E_DIR/empty"
requester=$(e2e_wait_window "Vellumine settings") || fail "a folder without Settings.info was taken"
e2e_focus "$requester"
e2e_keys Return
e2e_choose_drawer "$DRAWER"
WINDOW=$(e2e_wait_window "$E2E_TITLE") || fail "the chosen drawer's window did not appear"
e2e_focus "$WINDOW"
e2e_keys Down ctrl+s  # full screen
e2e_expect_exit_zero
e2e_expect_tooltypes Starfield DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)" MASTERVOLUME=40 FULLSCREEN

cp -p "$E2E_DIR"/before/Starfield*.info "$DRAWER/"
e2e_start_settings
e2e_keys ctrl+o
e2e_choose_drawer "$OTHER"
WINDOW=$(e2e_wait_window "Nebula Settings") || fail "Ctrl+O did not open the other drawer"
e2e_focus "$WINDOW"
e2e_keys Down ctrl+s
e2e_expect_exit_zero
e2e_expect_unchanged
DRAWER=$OTHER e2e_expect_tooltypes Nebula MASTERVOLUME=40 FPSLIMIT=20 FULLSCREEN

# Open recent: the other drawer first, then this one. An edit is asked about:
# Discard leaves it unsaved.
(cd "$OTHER" && exec "$SETTINGS_BIN") >"$E2E_DIR/settings.out" 2>"$E2E_DIR/settings.err" &
SETTINGS_PID=$!
WINDOW=$(e2e_wait_window "Nebula Settings") || fail "the other drawer's window did not appear"
e2e_focus "$WINDOW"
e2e_keys Down alt Down Down Down Right Down Return
requester=$(e2e_wait_window "Nebula Settings") || fail "an unsaved edit was not asked about"
e2e_focus "$requester"
e2e_keys Tab space  # Discard
WINDOW=$(e2e_wait_window "$E2E_TITLE") || fail "Open recent did not open the drawer"
e2e_focus "$WINDOW"
e2e_keys ctrl+s
e2e_expect_exit_zero
DRAWER=$OTHER e2e_expect_tooltypes Nebula MASTERVOLUME=40 FPSLIMIT=20 FULLSCREEN
e2e_expect_tooltypes Starfield DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)" MASTERVOLUME=40 WINDOW
echo "PASS"
