# Shared by the end-to-end tests: a private X display, a temporary drawer of
# icons, and the real Settings binary driven with the keyboard through xdotool.
# Environment: SETTINGS_BIN (the program), BUILD_DIR (the build tree).
set -euo pipefail

: "${SETTINGS_BIN:?SETTINGS_BIN must name the Settings program}"
: "${BUILD_DIR:?BUILD_DIR must name the build tree}"
MKICON="$BUILD_DIR/tools/mkicon"
E2E_DIR="" XVFB_PID="" SETTINGS_PID="" WINDOW=""  # WINDOW: X id of the settings window
E2E_TITLE="Starfield Settings"
E2E_APP_SETTINGS=(WINDOW MASTERVOLUME=40)  # the application icon's settings tooltypes
# Each icon of the drawer: how it is made, and its own tooltypes.
declare -A E2E_MADE=([Starfield]="--type tool" [Starfield_OS3]="--type tool --default-tool Starfield_OS3"
                     [Starfield_MOS]="--type project --newicons")

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

e2e_cleanup() {
    local pid
    for pid in $SETTINGS_PID $XVFB_PID; do
        kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null || true
    done
    [ -z "$E2E_DIR" ] || { chmod -R u+w "$E2E_DIR"; rm -rf "$E2E_DIR"; }
}
trap e2e_cleanup EXIT

# The test's own folder, made once.
e2e_dir() {
    [ -n "$E2E_DIR" ] || E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/settings-e2e-XXXXXX")
}

# A display of our own: Xvfb picks a free number and writes it when it is ready.
e2e_start_display() {
    local numfile
    e2e_dir
    numfile="$E2E_DIR/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 200); do
        [ ! -s "$numfile" ] && kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    export DISPLAY=":$(head -n 1 "$numfile")" QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
    xdpyinfo >/dev/null 2>&1 || fail "Xvfb did not start"
}

# The drawer of the example application: the tool's icon (extra arguments are
# added to its tooltypes), the application's icon and two platform icons; the
# bytes of each kept in before/.
e2e_make_drawer() {
    e2e_dir
    DRAWER="$E2E_DIR/drawer"
    mkdir -p "$DRAWER" "$E2E_DIR/before" "$E2E_DIR/home"
    mkdir -m 0700 "$E2E_DIR/runtime"
    export HOME="$E2E_DIR/home" XDG_CONFIG_HOME="$E2E_DIR/home/.config" XDG_RUNTIME_DIR="$E2E_DIR/runtime"
    "$MKICON" "$DRAWER/Settings.info" --type tool APPLICATION=Starfield AMIGAOS3=Starfield_OS3 MORPHOS=Starfield_MOS "$@"
    "$MKICON" "$DRAWER/Starfield.info" ${E2E_MADE[Starfield]} DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)" "${E2E_APP_SETTINGS[@]}"
    "$MKICON" "$DRAWER/Starfield_OS3.info" ${E2E_MADE[Starfield_OS3]} STACK=16384 WINDOW
    "$MKICON" "$DRAWER/Starfield_MOS.info" ${E2E_MADE[Starfield_MOS]} "  Fullscreen" PUBSCREEN=Workbench
    cp -p "$DRAWER"/*.info "$E2E_DIR/before/"
}

# Waits for a visible window with that title (a pattern) other than the settings
# window; prints its id.
e2e_wait_window() {
    local id
    for _ in $(seq 300); do
        for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
            [ "$id" = "$WINDOW" ] || { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    return 1
}

e2e_wait_gone() {
    for _ in $(seq 100); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "the window \"$1\" did not close"
}

e2e_focus() {
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    sleep 0.3  # the first paint and the focus of the first control
}

# Starts Settings in the drawer, with these environment settings (NAME=VALUE).
e2e_launch() {
    (cd "$DRAWER" && exec env "$@" "$SETTINGS_BIN") >"$E2E_DIR/settings.out" 2>"$E2E_DIR/settings.err" &
    SETTINGS_PID=$! WINDOW=""
}

# Starts Settings and waits until its window has the keyboard.
e2e_start_settings() {
    e2e_launch
    WINDOW=$(e2e_wait_window "$E2E_TITLE") || fail "the settings window did not appear"
    e2e_focus "$WINDOW"
}

# Keys as a person types them, with a short pause for the command loop.
e2e_keys() {
    xdotool key --clearmodifiers --delay 60 "$@"
    sleep 0.2
}

# Waits for Settings to end; fails unless it ends with exit value 0.
e2e_expect_exit_zero() {
    local status=0
    for _ in $(seq 150); do
        kill -0 "$SETTINGS_PID" 2>/dev/null && sleep 0.1 || break
    done
    kill -0 "$SETTINGS_PID" 2>/dev/null && fail "Settings did not end"
    wait "$SETTINGS_PID" || status=$?
    SETTINGS_PID=""
    sed 's/^/  settings: /' "$E2E_DIR/settings.err" >&2
    [ "$status" -eq 0 ] || fail "Settings ended with exit value $status"
}

e2e_expect_running() {
    kill -0 "$SETTINGS_PID" 2>/dev/null || fail "Settings ended: $*"
}

# The named icons (all by default) are byte for byte as before.
e2e_expect_unchanged() {
    local name
    for name in ${@:-Settings Starfield Starfield_OS3 Starfield_MOS}; do
        cmp -s "$DRAWER/$name.info" "$E2E_DIR/before/$name.info" || fail "$name.info was written"
    done
}

# The icon (or its script's icon, NAME.vls) holds exactly these tooltypes, every
# other byte (a NewIcons image block included) as it was made.
e2e_expect_tooltypes() {
    local name=$1
    shift
    "$MKICON" "$E2E_DIR/expected.info" ${E2E_MADE[${name%.vls}]} -- "$@"
    cmp -s "$DRAWER/$name.info" "$E2E_DIR/expected.info" || fail "$name.info is not as expected"
}
