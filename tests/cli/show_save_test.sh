#!/usr/bin/env bash
# --show, --show --json and --save on one table of drawers: exit value, what
# standard output and standard error hold, and the icons afterwards. Then the
# whole JSON object of a drawer with every kind of icon, an unchanged save, names
# that would drive a terminal, and a drawer named in ISO-8859-1.
source "$(dirname "$0")/../e2e/lib.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0

e2e_make_drawer
chmod 0755 "$E2E_DIR"  # another user reaches the drawer
RUN=()                 # how the program is run: as this user, or as another
as_nobody() { RUN=(setpriv --reuid=nobody --regid=nogroup --clear-groups); }
io_errors() { RUN=(env SETTINGS_IO_FAULT=read:100%1 LD_PRELOAD="$IO_FAULTS"); }
has() { grep -qaF -- "$1" "$DRAWER/$2.info"; }
fresh_drawer() {
    [ ! -d "$DRAWER" ] || chmod -R u+rwx "$DRAWER"
    rm -rf "$DRAWER" && mkdir -m 0755 "$DRAWER" && cp -p "$E2E_DIR"/before/*.info "$DRAWER"/
}
long=$(printf 'a%.0s' {1..128})
# Another application's icon beside the drawer, and a leftover of a writer there;
# names in Settings.info that lead to it.
victim() {
    mkdir -p "$E2E_DIR/x" && cp "$E2E_DIR/before/Starfield.info" "$E2E_DIR/x/Other.info" && touch "$E2E_DIR/x/.Other.info.settings-1-abcdef"
    "$MKICON" "$DRAWER/Settings.info" --type tool APPLICATION=Starfield "$@"
}
untouched() { cmp -s "$E2E_DIR/x/Other.info" "$E2E_DIR/before/Starfield.info" && [ -e "$E2E_DIR/x/.Other.info.settings-1-abcdef" ] && e2e_expect_unchanged Starfield; }

# setup | exit | arguments | texts of standard output (^ between) | of standard error | check after
while IFS='|' read -r setup status args out err after; do
    fresh_drawer
    RUN=()
    eval "$setup"
    code=0
    eval "\"\${RUN[@]}\" \"\$SETTINGS_BIN\" $args" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || code=$?
    case="$setup | $args"
    [ "$code" -eq "$status" ] || fail "$case: exit value $code, not $status: $(cat "$E2E_DIR/err")"
    IFS='^' read -ra texts <<<"$out"
    for text in "${texts[@]}"; do
        grep -qF -- "$text" "$E2E_DIR/out" || fail "$case: no \"$text\" in:$(printf '\n'; cat "$E2E_DIR/out")"
    done
    [ -z "$err" ] || grep -qF -- "$err" "$E2E_DIR/err" || fail "$case: no \"$err\" in: $(cat "$E2E_DIR/err")"
    [ "$status" -ne 2 ] || [ ! -s "$E2E_DIR/out" ] || fail "$case: printed though nothing can be shown"
    eval "${after:-true}" || fail "$case: not so afterwards: $after"
done <<'CASES'
rm $DRAWER/Settings.info|2|--show $DRAWER||no Settings.info in the drawer|
rm $DRAWER/Settings.info|2|--show --json $DRAWER||no Settings.info in the drawer|
rm $DRAWER/Settings.info|2|--save $DRAWER WINDOW||no Settings.info in the drawer|e2e_expect_unchanged Starfield
printf x >$DRAWER/Settings.info|1|--show $DRAWER|loadFailure=Settings.info: not-an-icon|Settings.info: is not an icon|
chmod 0600 $DRAWER/Starfield.info; as_nobody|1|--show $DRAWER|loadFailure=Starfield.info: permission-denied|Starfield.info: permission denied|
chmod 0600 $DRAWER/Starfield.info; as_nobody|1|--show --json $DRAWER|"reason": "permission-denied"|Starfield.info: permission denied|
chmod 0666 $DRAWER/Starfield.info; chmod 0600 $DRAWER/Starfield_OS3.info; as_nobody|1|--save $DRAWER WINDOW||Starfield_OS3.info: permission denied|
mv $DRAWER/Settings.info $DRAWER/SETTINGS.INFO; chmod 0311 $DRAWER; as_nobody|1|--show --json $DRAWER|"reason": "drawer-unreadable"|drawer: permission denied|
io_errors|1|--show --json $DRAWER|"reason": "io-error"|Settings.info: input/output error|
chmod 0700 $DRAWER; as_nobody|2|--show $DRAWER||drawer: permission denied|
rm $DRAWER/Starfield.info; "$MKICON" $DRAWER/Starfield_OS3.info NOSOUND|0|--show --json $DRAWER|"settingsFrom": "Starfield_OS3.info"^"soundEnabled": false||
rm $DRAWER/Starfield.info; "$MKICON" $DRAWER/Starfield_OS3.info NOSOUND|0|--show $DRAWER|settingsFrom=Starfield_OS3.info^soundEnabled=0||
rm $DRAWER/Starfield.info; "$MKICON" $DRAWER/Starfield_OS3.info NOSOUND|0|--save $DRAWER FPSLIMIT=9||| has NOSOUND Starfield_MOS && has FPSLIMIT=9 Starfield_OS3
"$MKICON" $DRAWER/Starfield.info MASTERVOLUME=-5 FPSLIMIT=0 FULLSCREEN MODEID=-1 DEPTH=99|0|--show $DRAWER|masterVolume=0^fpsLimit=1^displayModeName=fullscreen-auto||
"$MKICON" $DRAWER/Starfield.info MASTERVOLUME=-5 FPSLIMIT=0 FULLSCREEN MODEID=-1 DEPTH=99|0|--save $DRAWER NOSOUND||| has MASTERVOLUME=0 Starfield_MOS && has FPSLIMIT=1 Starfield && ! has MODEID Starfield && ! has DEPTH Starfield
"$MKICON" $DRAWER/Settings.info APPLICATION=$long; cp $DRAWER/Starfield.info $DRAWER/Application.info|1|--save $DRAWER WINDOW||Settings.info: APPLICATION is too long|cmp -s $DRAWER/Application.info $E2E_DIR/before/Starfield.info
"$MKICON" $DRAWER/Settings.info APPLICATION=Starfield MORPHOS=M$long|1|--show --json $DRAWER|"reason": "name-too-long"|Settings.info: MORPHOS is too long|
|0|--save $DRAWER MODEID=0x80000000||MODEID=0x80000000: the display does not offer this mode|has MODEID=-2147483648 Starfield_OS3
"$MKICON" $DRAWER/Settings.info APPLICATION=Starfield MORPHOS=Starfield_MOS HIDESOUND; "$MKICON" $DRAWER/Starfield.info NOSOUND MASTERVOLUME=7|0|--save $DRAWER FULLSCREEN||| has NOSOUND Starfield && has MASTERVOLUME=7 Starfield && ! has MASTERVOLUME Starfield_MOS
|2|--json $DRAWER||--json|
rm $DRAWER/Starfield_MOS.info; mkdir $DRAWER/Starfield_MOS.info|0|--show --json $DRAWER|"reason": "folder"||
victim AMIGAOS3=$E2E_DIR/x/Other|1|--save $DRAWER WINDOW||Settings.info: AMIGAOS3 leads outside the drawer|untouched
victim MORPHOS=../x/Other|1|--save $DRAWER WINDOW --dry-run||MORPHOS leads outside the drawer|untouched
victim; "$MKICON" $DRAWER/Settings.info APPLICATION=../x/Other|1|--show --json $DRAWER|"reason": "name-outside-drawer"|APPLICATION leads outside|untouched
victim WARPOS=DH0:x/Other|1|--show $DRAWER|loadFailure=Settings.info: name-outside-drawer|WARPOS leads outside|
victim AMIGAOS4=/x/Other|1|--save $DRAWER WINDOW||AMIGAOS4 leads outside|untouched
victim AMIGAOS3=link/Other; ln -s ../x $DRAWER/link|1|--save $DRAWER WINDOW||AMIGAOS3 leads outside|untouched
victim AMIGAOS3=Starfield_OS3; ln -sf ../x/Other.info $DRAWER/Starfield_OS3.info|1|--save $DRAWER WINDOW||AMIGAOS3 leads outside|untouched
victim AMIGAOS3=OS3/Game; mkdir $DRAWER/OS3; mv $DRAWER/Starfield_OS3.info $DRAWER/OS3/Game.info|0|--save $DRAWER FPSLIMIT=9|||has FPSLIMIT=9 OS3/Game
|0|--list-modes|0x00029000	167936	PAL:HighRes	640x256	8|no display (neither DISPLAY nor WAYLAND_DISPLAY is set): the screen modes are those of a 1920x1080 screen|
CASES

# The whole object of a drawer with every kind of icon, one that cannot be
# written, one that is not an icon and one that differs; names in ISO-8859-1 and
# a drawer whose name is not UTF-8 (written as ISO-8859-1). Without a display the
# start screen is 1920x1080 at 24 bits.
latin1=$'Gr\xfcn'
fresh_drawer
"$MKICON" "$DRAWER/Settings.info" --type tool APPLICATION=Starfield AMIGAOS3=Starfield_OS3 MORPHOS=Starfield_MOS \
    WARPOS=Starfield_WOS "AMIGAOS4=Starfield_$latin1"
"$MKICON" "$DRAWER/Starfield_$latin1.info" --png WINDOW MASTERVOLUME=50
"$MKICON" "$DRAWER/Starfield.info" --os35 DONOTWAIT WINDOW MASTERVOLUME=50
"$MKICON" "$DRAWER/Starfield_OS3.info" WINDOW FPSLIMIT=30 NOSOUND
chmod a-w "$DRAWER/Starfield_$latin1.info"
echo "not an icon" >"$DRAWER/Starfield_WOS.info"
mv "$DRAWER" "$E2E_DIR/$latin1" && DRAWER="$E2E_DIR/$latin1"
"$SETTINGS_BIN" --show --json "$DRAWER" >"$E2E_DIR/shown.json" || fail "--show --json ended with $?"
python3 - "$E2E_DIR/shown.json" "$E2E_DIR" <<'PY' || fail "--show --json is not as expected"
import json, sys
shown = json.load(open(sys.argv[1], encoding="utf-8"))
screen = {"modeId": 1920 << 16 | 1080, "depth": 24}
def settings(**values):
    return dict({"displayMode": 0, "displayModeName": "window", "fpsLimit": 50, "fpsLimitEnabled": False,
                 "masterVolume": 40, "soundEnabled": True}, **screen, **values)
def icon(role, name, kind, settings, writable=True, reason=None, differs=()):
    return {"role": role, "name": name, "file": name + ".info",
            "kind": kind, "readable": kind is not None, "writable": writable, "reason": reason,
            "settings": settings, "differs": list(differs)}
expected = {
    "drawer": sys.argv[2] + "/Gr\\xfcn", "image": None, "toolIcon": "Settings.info", "application": "Starfield",
    "loadFailure": None, "settingsFrom": "Starfield.info", "settings": settings(masterVolume=50),
    "icons": [icon("application", "Starfield", "os35", settings(masterVolume=50)),
              icon("AMIGAOS3", "Starfield_OS3", "classic",
                   settings(fpsLimit=30, fpsLimitEnabled=True, soundEnabled=False),
                   differs=["fpsLimit", "fpsLimitEnabled", "masterVolume", "soundEnabled"]),
              icon("MORPHOS", "Starfield_MOS", "newicons", settings(), differs=["masterVolume"]),
              icon("WARPOS", "Starfield_WOS", None, None, False, "not-an-icon"),
              icon("AMIGAOS4", "Starfield_Gr\u00fcn", "png", settings(masterVolume=50), False, "permission-denied")]}
if shown != expected:
    print(json.dumps(shown, indent=1), file=sys.stderr)
    sys.exit(1)
PY

# A save that changes nothing writes nothing: the same files, the same times; a
# dry run says so.
DRAWER="$E2E_DIR/drawer"
fresh_drawer
"$SETTINGS_BIN" --save "$DRAWER" WINDOW MASTERVOLUME=40 || fail "the first save failed"
before=$(stat -c '%i %y' "$DRAWER"/*.info)
sleep 0.05
"$SETTINGS_BIN" --save "$DRAWER" WINDOW MASTERVOLUME=40 || fail "the second save failed"
[ "$(stat -c '%i %y' "$DRAWER"/*.info)" = "$before" ] || fail "a save that changes nothing wrote an icon"
"$SETTINGS_BIN" --save "$DRAWER" WINDOW --dry-run >"$E2E_DIR/out" || fail "--dry-run failed"
grep -qx "Starfield.info unchanged" "$E2E_DIR/out" || fail "--dry-run does not say unchanged: $(cat "$E2E_DIR/out")"

# Names, tooltypes and a leftover's name that hold ESC, a C1 control and a
# newline reach no output raw: each is escaped, so no line can be forged; JSON
# holds them as they are.
fresh_drawer
forged=$'A\e]0;owned\a\nSettings: all icons written\x9b'
evil=${forged/:/ -}  # a name with a volume's colon is refused
"$MKICON" "$DRAWER/Settings.info" --type tool APPLICATION=Starfield "AMIGAOS3=$evil"
printf x >"$DRAWER/$evil.info"
touch "$DRAWER/.$forged.info.settings-1-backup-x"
"$MKICON" "$DRAWER/Starfield.info" $'TITLE=\e[2J\x9b' WINDOW
escaped='A\x1b]0;owned\x07\nSettings - all icons written\x9b'
for args in "--show" "--save WINDOW --dry-run" "--save WINDOW"; do
    set -- $args
    "$SETTINGS_BIN" "$1" "$DRAWER" "${@:2}" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || true
    ! LC_ALL=C grep -qaP '[\x00-\x08\x0b-\x1f\x7f]|\xc2[\x80-\x9f]' "$E2E_DIR/out" "$E2E_DIR/err" || fail "$args: a control character is out raw"
    ! grep -q "^Settings: all icons written" "$E2E_DIR/out" "$E2E_DIR/err" || fail "$args: a line is forged"
    grep -qF -- "$escaped" "$E2E_DIR/out" "$E2E_DIR/err" || fail "$args: the name is not shown escaped"
    [ "${3:-}" != --dry-run ] || grep -qF 'TITLE=\x1b[2J\x9b' "$E2E_DIR/out" || fail "--dry-run does not show the tooltype escaped"
    [ "$1" = --show ] || grep -qF '.A\x1b]0;owned\x07\nSettings: all icons written\x9b.info.settings-1-backup-x: left alone' "$E2E_DIR/err" ||
        fail "$args: the leftover is not named escaped: $(cat "$E2E_DIR/err")"
done
"$SETTINGS_BIN" --show --json "$DRAWER" >"$E2E_DIR/shown.json"
python3 -c 'import json, os, sys
assert json.load(open(sys.argv[1]))["icons"][1]["name"] == os.fsencode(sys.argv[2]).decode("latin-1")' \
    "$E2E_DIR/shown.json" "$evil" || fail "JSON does not hold the name as it is"
echo "PASS"
