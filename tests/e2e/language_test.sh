#!/usr/bin/env bash
# The user's language: with LANG=de_DE.UTF-8 the window comes up in German from
# the catalog compiled at build time, and its translated menu shortcut (Ctrl+B,
# "Beenden") ends the tool. A start-up failure shows the built-in English
# requester, or, without a display, the message on standard error; the exit
# value is 0 either way.
source "$(dirname "$0")/lib.sh"

unset LANGUAGE LC_ALL LC_MESSAGES
export LANG=de_DE.UTF-8
[ -f "$(dirname "$SETTINGS_BIN")/Catalogs/deutsch/Vellumine/Settings.catalog" ] ||
    fail "no German catalog beside the program"

e2e_start_display
e2e_make_drawer
E2E_TITLE="Einstellungen f[^ ]+r Starfield"
e2e_start_settings
e2e_keys ctrl+b
e2e_expect_exit_zero
e2e_expect_unchanged

# A missing service: one requester, with the built-in texts.
e2e_launch SETTINGS_FAIL_LIBRARY=asl.library
requester=$(e2e_wait_window "Vellumine settings") || fail "no requester for the missing library"
e2e_focus "$requester"
e2e_keys Return
e2e_expect_exit_zero

# No display at all: the message goes to standard error.
status=0
errors=$(cd "$DRAWER" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$SETTINGS_BIN" 2>&1 >/dev/null) ||
    status=$?
[ "$status" -eq 0 ] || fail "exit value $status without a display"
grep -q "Cannot open library intuition.library !" <<<"$errors" || fail "no message on standard error: $errors"
echo "PASS"
