# Shared by the end-to-end tests: a private X display, a temporary drawer of real
# icons, and the real Settings binary driven with the keyboard through xdotool.
# Environment: SETTINGS_BIN (the program), BUILD_DIR (the build tree).
set -euo pipefail

: "${SETTINGS_BIN:?SETTINGS_BIN must name the Settings program}"
: "${BUILD_DIR:?BUILD_DIR must name the build tree}"
MKICON="$BUILD_DIR/tools/mkicon"
CLOSE_WINDOW="$BUILD_DIR/tests/close_window"
ICON_SECTIONS="$BUILD_DIR/tests/icon_sections"

E2E_DIR=""        # the temporary folder: drawer/ and copies of the icons before/
DRAWER=""
XVFB_PID=""
SETTINGS_PID=""
WINDOW=""         # X id of the settings window
E2E_TITLE="Starfield Settings"
E2E_APP_SETTINGS=(WINDOW MASTERVOLUME=40)  # the application icon's settings tooltypes

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

e2e_cleanup() {
    if [ -n "$SETTINGS_PID" ] && kill -0 "$SETTINGS_PID" 2>/dev/null; then
        kill "$SETTINGS_PID" 2>/dev/null || true
        wait "$SETTINGS_PID" 2>/dev/null || true
    fi
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    if [ -n "$E2E_DIR" ]; then
        chmod -R u+w "$E2E_DIR" 2>/dev/null || true
        rm -rf "$E2E_DIR"
    fi
}
trap e2e_cleanup EXIT

# A display of our own: Xvfb picks a free number itself and writes it when it is
# ready, so parallel runs never take the same one.
e2e_start_display() {
    local numfile
    numfile=$(mktemp "${TMPDIR:-/tmp}/settings-e2e-display-XXXXXX")
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 200); do
        [ -s "$numfile" ] && break
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    local n
    n=$(head -n 1 "$numfile")
    rm -f "$numfile"
    [ -n "$n" ] || fail "Xvfb did not start"
    export DISPLAY=":$n"
    unset WAYLAND_DISPLAY
    export QT_QPA_PLATFORM=xcb
    xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not answer on $DISPLAY"
}

# The drawer of the example application: the tool's icon, the application's icon
# and two platform icons, each with tooltypes of its own. Extra arguments are
# added to the tool icon's tooltypes (e.g. HIDESOUND). The bytes of every icon
# are kept in before/ for comparison.
e2e_make_drawer() {
    E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/settings-e2e-XXXXXX")
    DRAWER="$E2E_DIR/drawer"
    mkdir -p "$DRAWER" "$E2E_DIR/before" "$E2E_DIR/home"
    mkdir -m 0700 "$E2E_DIR/runtime"
    export HOME="$E2E_DIR/home" XDG_CONFIG_HOME="$E2E_DIR/home/.config" XDG_RUNTIME_DIR="$E2E_DIR/runtime"
    "$MKICON" "$DRAWER/Settings.info" --type tool APPLICATION=Starfield AMIGAOS3=Starfield_OS3 \
        MORPHOS=Starfield_MOS "$@"
    "$MKICON" "$DRAWER/Starfield.info" --type tool DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)" \
        "${E2E_APP_SETTINGS[@]}"
    "$MKICON" "$DRAWER/Starfield_OS3.info" --type tool --default-tool Starfield_OS3 STACK=16384 WINDOW
    "$MKICON" "$DRAWER/Starfield_MOS.info" --type project --newicons "  Fullscreen" PUBSCREEN=Workbench
    cp -p "$DRAWER"/*.info "$E2E_DIR/before/"
}

# Starts Settings in the drawer and waits until its window has the keyboard.
e2e_start_settings() {
    (cd "$DRAWER" && exec "$SETTINGS_BIN") >"$E2E_DIR/settings.out" 2>"$E2E_DIR/settings.err" &
    SETTINGS_PID=$!
    WINDOW=$(timeout 30 xdotool search --sync --onlyvisible --name "^$E2E_TITLE\$" | head -n 1) ||
        fail "the settings window did not appear"
    xdotool windowfocus --sync "$WINDOW"
    sleep 0.3  # the first paint and the focus of the first control
}

# Keys as a person types them, with a short pause for the command loop.
e2e_keys() {
    xdotool key --clearmodifiers --delay 60 "$@"
    sleep 0.2
}

# Waits for Settings to end; fails unless it ends with exit value 0.
e2e_expect_exit_zero() {
    local i
    for i in $(seq 150); do
        kill -0 "$SETTINGS_PID" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$SETTINGS_PID" 2>/dev/null; then
        fail "Settings did not end"
    fi
    local status=0
    wait "$SETTINGS_PID" || status=$?
    SETTINGS_PID=""
    if [ -s "$E2E_DIR/settings.err" ]; then
        sed 's/^/  settings: /' "$E2E_DIR/settings.err" >&2
    fi
    [ "$status" -eq 0 ] || fail "Settings ended with exit value $status"
}

e2e_expect_running() {
    kill -0 "$SETTINGS_PID" 2>/dev/null || fail "Settings ended: $*"
}

# The close gadget of a window: the message a window manager sends.
e2e_close_window() {
    "$CLOSE_WINDOW" "$1"
}

# Waits for a requester with that title besides the settings window; prints its id.
e2e_wait_requester() {
    local title=$1 i id
    for i in $(seq 100); do
        for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
            if [ "$id" != "$WINDOW" ]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.1
    done
    return 1
}

# The tooltypes of an icon of the drawer, one a line.
e2e_tooltypes() {
    "$ICON_SECTIONS" "$DRAWER/$1.info" | sed -n 's/^tooltype //p'
}

e2e_expect_unchanged() {
    local name
    for name in "$@"; do
        cmp -s "$DRAWER/$name.info" "$E2E_DIR/before/$name.info" || fail "$name.info was written"
    done
}

# The icon was rewritten with exactly these tooltypes, every other byte as before.
e2e_expect_tooltypes() {
    local name=$1
    shift
    local sections_before sections_after
    sections_before=$("$ICON_SECTIONS" "$E2E_DIR/before/$name.info") || fail "$name.info: not an icon before"
    sections_after=$("$ICON_SECTIONS" "$DRAWER/$name.info") || fail "$name.info: not an icon after saving"
    [ "$(grep -v '^tooltype ' <<<"$sections_before")" = "$(grep -v '^tooltype ' <<<"$sections_after")" ] ||
        fail "$name.info: bytes outside the tooltypes changed"
    # A NewIcons image block (a " " entry, the marker, the image lines) stays
    # after the new list.
    local expected actual
    expected=$(printf '%s\n' "$@"
        "$ICON_SECTIONS" "$E2E_DIR/before/$name.info" | sed -n 's/^tooltype //p' |
            awk -v marker="*** DON'T EDIT THE FOLLOWING LINES!! ***" '
                $0 == marker && !block { block = 1; if (prev == " ") print prev }
                block { print }
                { prev = $0 }')
    actual=$(e2e_tooltypes "$name")
    if [ "$expected" != "$actual" ]; then
        echo "expected tooltypes of $name.info:" >&2
        sed 's/^/  /' <<<"$expected" >&2
        echo "actual:" >&2
        sed 's/^/  /' <<<"$actual" >&2
        fail "$name.info has the wrong tooltypes"
    fi
}
