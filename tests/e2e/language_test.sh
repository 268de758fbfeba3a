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
e2e_expect_unchanged Settings Starfield Starfield_OS3 Starfield_MOS

# A missing service: one requester, with the built-in texts.
(cd "$DRAWER" && SETTINGS_FAIL_LIBRARY=asl.library exec "$SETTINGS_BIN") \
    >"$E2E_DIR/settings.out" 2>"$E2E_DIR/settings.err" &
SETTINGS_PID=$!
WINDOW=""
requester=""
for attempt in 1 2 3; do
    requester=$(e2e_wait_requester "Vellumine settings") && break
    kill -0 "$SETTINGS_PID" 2>/dev/null || break
done
if [ -z "$requester" ]; then
    sed 's/^/  settings: /' "$E2E_DIR/settings.err" >&2
    kill -0 "$SETTINGS_PID" 2>/dev/null && echo "  (still running)" >&2
    fail "no requester for the missing library"
fi
xdotool windowfocus --sync "$requester"
e2e_keys Return
e2e_expect_exit_zero

# No display at all: the message goes to standard error.
status=0
errors=$(cd "$DRAWER" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$SETTINGS_BIN" 2>&1 >/dev/null) ||
    status=$?
[ "$status" -eq 0 ] || fail "exit value $status without a display"
grep -q "Cannot open library intuition.library !" <<<"$errors" || fail "no message on standard error: $errors"
echo "PASS"
