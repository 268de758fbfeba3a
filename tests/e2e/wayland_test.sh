#!/usr/bin/env bash
# A GNOME Wayland session (weston's headless compositor), without X and with an
# X display beside it as XWayland would be: the command line's screen modes are
# the compositor's output, and the window opens on the compositor natively,
# where Qt alone would take X.
source "$(dirname "$0")/lib.sh"

command -v weston >/dev/null || { echo "weston is not installed: skipped"; exit 0; }
e2e_make_drawer
e2e_start_display
x_display=$DISPLAY
unset QT_QPA_PLATFORM
export WAYLAND_DISPLAY=wayland-settings-e2e
weston --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --width=1280 --height=720 --idle-time=0 \
    >"$E2E_DIR/weston.log" 2>&1 &
XVFB_PID="$XVFB_PID $!"  # ended with the test
for _ in $(seq 200); do
    [ ! -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || break
    sleep 0.05
done
[ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "weston did not start: $(cat "$E2E_DIR/weston.log")"

for display in "" "$x_display"; do
    export XDG_SESSION_TYPE=${display:+wayland}
    DISPLAY=$display "$SETTINGS_BIN" --list-modes >"$E2E_DIR/out" 2>"$E2E_DIR/err" || fail "--list-modes failed"
    grep -q "	1280x720	" "$E2E_DIR/out" || fail "DISPLAY=$display: the output is not a mode: $(cat "$E2E_DIR/out")"
    [ ! -s "$E2E_DIR/err" ] || fail "DISPLAY=$display: --list-modes said: $(cat "$E2E_DIR/err")"

    # The window's title reaches the compositor, as the protocol's log shows.
    DISPLAY=$display WAYLAND_DEBUG=client "$SETTINGS_BIN" "$DRAWER" 2>"$E2E_DIR/client.log" &
    SETTINGS_PID=$!
    for _ in $(seq 300); do
        ! grep -q 'set_title("Starfield Settings")' "$E2E_DIR/client.log" || break
        kill -0 "$SETTINGS_PID" 2>/dev/null || break
        sleep 0.1
    done
    grep -q 'set_title("Starfield Settings")' "$E2E_DIR/client.log" ||
        fail "DISPLAY=$display: no window on the compositor: $(grep -v '^\[' "$E2E_DIR/client.log" | head -5)"
    kill "$SETTINGS_PID" && wait "$SETTINGS_PID" 2>/dev/null || true
done
echo "PASS"
