#!/usr/bin/env bash
# The user's language: with LANG=de_DE.UTF-8 the window comes up in German from
# the catalog compiled at build time, and its translated menu shortcut (Ctrl+B,
# "Beenden") ends the tool.
source "$(dirname "$0")/lib.sh"

unset LANGUAGE LC_ALL LC_MESSAGES
export LANG=de_DE.UTF-8
e2e_start_display
e2e_make_drawer
E2E_TITLE="Einstellungen f[^ ]+r Starfield"
e2e_start_settings
e2e_keys ctrl+b
e2e_expect_exit_zero
e2e_expect_unchanged
echo "PASS"
