#!/usr/bin/env bash
# Starts on a display with no other client: each start opens its window and ends
# with exit value 0, and none makes the X server reset (a client of Settings that
# leaves the server without clients and is followed by another of the same
# process: Qt's connection made during the reset fails and Qt aborts). A display
# that cannot be reached ends with the failure message and exit value 1.
# START_ROUNDS sets the count.
source "$(dirname "$0")/lib.sh"

e2e_make_drawer
audit="$E2E_DIR/audit.log"
e2e_start_display "$audit"
pids=()
for _ in $(seq "${START_ROUNDS:-4}"); do
    e2e_launch
    pids+=("$SETTINGS_PID")
    # The harness connects only once Qt holds its connection (the second one of the process).
    for _ in $(seq 600); do
        [ "$(grep -c " connected from .*pid=$SETTINGS_PID\b" "$audit")" -ge 2 ] ||
            ! kill -0 "$SETTINGS_PID" 2>/dev/null && break
        sleep 0.05
    done
    WINDOW=$(e2e_wait_window "$E2E_TITLE") || fail "the settings window did not appear"
    # The window's program runs under the name the program was started by.
    xprop -id "$WINDOW" WM_CLASS | grep -q "\"$(basename "$SETTINGS_BIN")\"" || fail "the window's name: $(xprop -id "$WINDOW" WM_CLASS)"
    "$BUILD_DIR/tests/close_window" "$WINDOW"  # the close gadget
    e2e_expect_exit_zero
    # Every client gone and seen gone by the server before the next start.
    for _ in $(seq 100); do
        [ "$(grep -c ' connected from' "$audit")" = "$(grep -c ' disconnected' "$audit")" ] && break
        sleep 0.05
    done
    sleep 0.3
done

resets=$(awk -v pids=" ${pids[*]} " '
    { match($0, /client [0-9]+/); client = substr($0, RSTART + 7, RLENGTH - 7) }
    / connected from / {
        match($0, /pid=[0-9]+/); p = owner[client] = substr($0, RSTART + 4, RLENGTH - 4); n++
        if (p in left) { resets++; delete left[p] }
    }
    / disconnected$/ { if (--n == 0 && index(pids, " " owner[client] " ")) left[owner[client]] = 1 }
    END { print resets + 0 }' "$audit")
[ "$resets" -eq 0 ] || fail "$resets of ${START_ROUNDS:-4} starts made the X server reset"

# No display to be had: the failure message, exit value 1.
status=0
(cd "$DRAWER" && DISPLAY=:99999 "$SETTINGS_BIN") >/dev/null 2>"$E2E_DIR/nodisplay.err" || status=$?
[ "$status" -eq 1 ] || fail "without a display Settings ended with exit value $status"
grep -q ": cannot open the display (:99999 cannot be opened)" "$E2E_DIR/nodisplay.err" ||
    fail "without a display no failure message named it: $(cat "$E2E_DIR/nodisplay.err")"
echo "PASS"
