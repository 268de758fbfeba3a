# Shared by the end-to-end tests: a private X display, a temporary drawer of real
# icons, and the real Settings binary driven with the keyboard through xdotool.
# Environment: SETTINGS_BIN (the program), BUILD_DIR (the build tree).
set -euo pipefail

: "${SETTINGS_BIN:?SETTINGS_BIN must name the Settings program}"
: "${BUILD_DIR:?BUILD_DIR must name the build tree}"
E2E_DIR="" DRAWER="" XVFB_PID="" SETTINGS_PID=""  # E2E_DIR holds drawer/ and the icons' copies before/
WINDOW=""                                         # X id of the settings window
E2E_TITLE="Starfield Settings"
E2E_APP_SETTINGS=(WINDOW MASTERVOLUME=40)  # the application icon's settings tooltypes
MKICON="$BUILD_DIR/tools/mkicon"
# Each icon of the drawer: how it is made, besides its tooltypes.
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
    [ -z "$E2E_DIR" ] || { chmod -R u+w "$E2E_DIR" 2>/dev/null || true; rm -rf "$E2E_DIR"; }
}
trap e2e_cleanup EXIT

# A display of our own: Xvfb picks a free number and writes it when it is ready,
# so parallel runs never take the same one. Like a desktop's, it does not reset
# when its last client leaves (the harness's xdotool calls come and go). With an
# audit log file as argument it does reset, and logs every client to that file.
e2e_start_display() {
    local numfile i options=(-noreset) log=/dev/null
    if [ $# -gt 0 ]; then options=(-audit 4) log=$1; fi
    numfile=$(mktemp "${TMPDIR:-/tmp}/settings-e2e-display-XXXXXX")
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp "${options[@]}" 3>"$numfile" >/dev/null 2>"$log" &
    XVFB_PID=$!
    for i in $(seq 200); do
        [ ! -s "$numfile" ] && kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.05
    done
    [ -s "$numfile" ] || fail "Xvfb did not start"
    export DISPLAY=":$(head -n 1 "$numfile")" QT_QPA_PLATFORM=xcb
    unset WAYLAND_DISPLAY
    rm -f "$numfile"
}

# The drawer of the example application: the tool's icon (extra arguments are
# added to its tooltypes), the application's icon and two platform icons, each
# with tooltypes of its own. The bytes of every icon are kept in before/.
e2e_make_drawer() {
    E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/settings-e2e-XXXXXX")
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
    local i id
    for i in $(seq 300); do
        for id in $(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null); do
            [ "$id" = "$WINDOW" ] || { echo "$id"; return 0; }
        done
        sleep 0.1
    done
    return 1
}

# Waits until no visible window has that title.
e2e_wait_gone() {
    local i
    for i in $(seq 100); do
        xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "the window \"$1\" did not close"
}

e2e_focus() {
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    sleep 0.3  # the first paint and the focus of the first control
}

e2e_answer() {  # answers the requester titled $1 with the keys that follow, or fails
    local requester; requester=$(e2e_wait_window "$1") || fail "no requester \"$1\" came"
    e2e_focus "$requester"
    e2e_keys "${@:2}"
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
    local i status=0
    for i in $(seq 150); do
        kill -0 "$SETTINGS_PID" 2>/dev/null && sleep 0.1 || break
    done
    kill -0 "$SETTINGS_PID" 2>/dev/null && fail "Settings did not end"
    wait "$SETTINGS_PID" || status=$?
    SETTINGS_PID=""
    sed 's/^/  settings: /' "$E2E_DIR/settings.err" >&2
    [ "$status" -eq 0 ] || fail "Settings ended with exit value $status"
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

# A second application's drawer, $OTHER: its tool's icon and the icon of Nebula
# (FPSLIMIT=20 WINDOW), kept in before/ too.
OTHER="" E2E_MADE[Nebula]="--type tool"
E2E_CHOOSER="Choose the application's drawer"
e2e_make_other_drawer() {
    OTHER="$E2E_DIR/other"
    mkdir -p "$OTHER"
    "$MKICON" "$OTHER/Settings.info" --type tool APPLICATION=Nebula
    "$MKICON" "$OTHER/Nebula.info" ${E2E_MADE[Nebula]} FPSLIMIT=20 WINDOW
    cp -p "$OTHER/Nebula.info" "$E2E_DIR/before/"
}

# Waits for the folder chooser and gives it the keyboard.
e2e_wait_chooser() {
    local chooser
    chooser=$(e2e_wait_window "$E2E_CHOOSER") || fail "no folder chooser"
    e2e_focus "$chooser"
}

# Types the folder into the chooser as a person would.
e2e_choose_drawer() {
    e2e_wait_chooser
    xdotool type --delay 20 "$1"
    e2e_keys Return
}
