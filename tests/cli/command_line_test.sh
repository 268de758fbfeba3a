#!/usr/bin/env bash
# The command line through the real program, without a display: --show; --save
# with every settings word and the ends of its ranges; bad words and drawers that
# write nothing; --dry-run, with icons that cannot be written or read named with
# exit value 1; messages in German and Russian; the .vls icon; a drawer given as
# an icon in it, by path or, inside it, by its bare name; a display that never
# answers, and a Qt platform that does not exist.
source "$(dirname "$0")/../e2e/lib.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

# Runs Settings with the other arguments, its output in out and err; its exit
# value must be the first.
expect_run() {
    local want=$1 status=0
    shift
    "$SETTINGS_BIN" "$@" >"$E2E_DIR/out" 2>"$E2E_DIR/err" || status=$?
    [ "$status" -eq "$want" ] || fail "line ${BASH_LINENO[0]}: $*: exit value $status, not $want: $(cat "$E2E_DIR/err")"
}
# A line of the output starts with this text (then ends, or goes on after a space).
expect_line() {
    grep -q "^$1\( \|$\)" "$E2E_DIR/out" || fail "$2: no line $1 in:$(printf '\n'; cat "$E2E_DIR/out")"
}
restore_drawer() {
    chmod -R u+w "$DRAWER"
    rm -f "$DRAWER"/*.info
    cp -p "$E2E_DIR"/before/*.info "$DRAWER"/
}

e2e_make_drawer
# No mode without a window loads a Qt library; without a display, --show and
# --list-modes say that a 1920x1080 screen stands in, and why, but not after a
# failure of the drawer's own.
while IFS='|' read -r want args told; do
    LD_DEBUG=files expect_run "$want" $args
    ! grep -q 'libQt6' "$E2E_DIR/err" || fail "$args loads Qt"
    [ "$(grep -c ': no display (neither DISPLAY nor WAYLAND_DISPLAY is set): .*1920x1080' "$E2E_DIR/err")" = "$told" ] ||
        fail "$args: the stand-in screen is told $told times"
done <<MODES
0|--show $DRAWER|1
0|--list-modes --json|1
0|--save $DRAWER WINDOW --dry-run|0
2|--show $E2E_DIR/home|0
0|--help|0
0|--version|0
MODES
DISPLAY=:88 expect_run 0 --list-modes
grep -q ': cannot reach display :88: ' "$E2E_DIR/err" || fail "the display that cannot be reached is not named"
expect_run 0 -style fusion --show "$DRAWER"  # Qt's own options are left to Qt
expect_run 0 -style=fusion --show "$DRAWER"  # a value given with = takes nothing after it
for line in APPLICATION=Starfield HIDESOUND=0 "windowTitle=Starfield Settings" displayMode=0 masterVolume=40 \
    "icon Starfield: Starfield.info, tool icon, classic, can be written" \
    "icon Starfield_MOS: Starfield_MOS.info, project icon, newicons, can be written"; do
    expect_line "$line" --show
done

# A display that takes the connection and never answers: --save without MODEID
# asks none, --show gives it up in time and takes the stand-in screen.
/usr/bin/python3 -c 'import socket, sys, time
s = socket.socket(socket.AF_UNIX); s.bind("\0/tmp/.X11-unix/X" + sys.argv[1]); s.listen(8); time.sleep(60)' $((500 + $$ % 400)) &
silent=$! && sleep 0.5
export DISPLAY=:$((500 + $$ % 400))
timeout 3 "$SETTINGS_BIN" --save "$DRAWER" FPSLIMIT=9 || fail "--save waited for a display that does not answer"
start=$SECONDS && expect_run 0 --show "$DRAWER"
[ $((SECONDS - start)) -le 12 ] && grep -q ": cannot reach display $DISPLAY: " "$E2E_DIR/err" || fail "--show waited for a silent display"
unset DISPLAY && kill "$silent" && restore_drawer

# Bad words, numbers and drawers: exit value 2, not a byte written, and a message
# naming the bad one (the last argument, or the one after "|").
while IFS='|' read -r args named; do
    expect_run 2 $args
    named=${named:-${args##* }}
    grep -qF -- "$named" "$E2E_DIR/err" || fail "$args: the message does not name $named"
    e2e_expect_unchanged
done <<BAD
--save $DRAWER bogus
--save $DRAWER DEPTH=7
--save $DRAWER FPSLIMIT=51
--save $DRAWER MASTERVOLUME=-1
--save $DRAWER MODEID=4294967296
--save $DRAWER MODEID=-1
--save $DRAWER MODEID=0xffffffff
--save $DRAWER MODEID=12abc
--save $DRAWER FPSLIMIT=
--save $DRAWER DEPTH
--save $DRAWER WINDOW=1
--save $DRAWER WINDOW FULLSCREEN
--save $DRAWER NOSOUND DEPTH=7
--save $SETTINGS_BIN WINDOW|$SETTINGS_BIN
--save $DRAWER/missing WINDOW|$DRAWER/missing
$DRAWER/missing
$DRAWER --dry-run
--show $DRAWER --bogus
--save=1 $DRAWER WINDOW|unexpected value after '--save'
--x=1 $DRAWER|unknown option '--x'
BAD
# Options and arguments in any order, even where POSIXLY_CORRECT would end the
# options at the first argument.
POSIXLY_CORRECT=1 expect_run 0 --show "$DRAWER" --json
grep -q '^{' "$E2E_DIR/out" || fail "--json after the drawer was not taken"
POSIXLY_CORRECT=1 expect_run 0 --save "$DRAWER" --dry-run NOSOUND
expect_line "    NOSOUND" "--dry-run between the drawer and the words"
e2e_expect_unchanged

# Every word, in any letter case, and the ends of the ranges, one after another:
# the words, then lines --show prints after saving them.
while IFS='|' read -r words lines; do
    expect_run 0 --save "$DRAWER" $words
    expect_run 0 --show "$DRAWER"
    for line in $lines; do
        expect_line "$line" "$words"
    done
done <<'GOOD'
FULLSCREEN MASTERVOLUME=0|displayMode=1 masterVolume=0
mastervolume=64 NoSound FPSLIMIT=1|masterVolume=64 soundEnabled=0 fpsLimitEnabled=1 fpsLimit=1
MODEID=167936 fullscreen DEPTH=8|displayMode=2 modeId=0x00029000 depth=8
fpslimit=50 sound|fpsLimit=50 soundEnabled=1 displayMode=2
ModeId=-2 depth=32|modeId=0xFFFFFFFE depth=32
Window NOFPSLIMIT|displayMode=0 fpsLimitEnabled=0
MODEID=0x07800438|displayMode=2 modeId=0x07800438 depth=24
GOOD
settings=(MASTERVOLUME=64 MODEID=125830200 DEPTH=24 FULLSCREEN)
e2e_expect_tooltypes Starfield DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)" "${settings[@]}"
e2e_expect_tooltypes Starfield_MOS PUBSCREEN=Workbench "${settings[@]}"

# The sound words when the tool's icon hides the sound settings: exit value 2.
restore_drawer
"$MKICON" "$DRAWER/Settings.info" --type tool APPLICATION=Starfield AMIGAOS3=Starfield_OS3 MORPHOS=Starfield_MOS HIDESOUND
for word in MASTERVOLUME=3 NOSOUND SOUND; do
    expect_run 2 --save "$DRAWER" FPSLIMIT=9 $word
    e2e_expect_unchanged Starfield Starfield_OS3 Starfield_MOS
done

# --dry-run shows the new lists and writes nothing; its exit value is the save's,
# with an icon that may not be written and one that is no icon named.
restore_drawer
chmod 0444 "$DRAWER/Starfield_OS3.info"
echo "not an icon" >"$DRAWER/Starfield_MOS.info"
expect_run 1 --save "$DRAWER" NOSOUND --dry-run
grep -q "Starfield_OS3.info: permission denied" "$E2E_DIR/err" &&
    grep -q "Starfield_MOS.info: is not an icon or is damaged" "$E2E_DIR/err" || fail "the failed icons are not named with why"
expect_line "Starfield.info after:" --dry-run
expect_line "    NOSOUND" --dry-run
e2e_expect_unchanged Settings Starfield Starfield_OS3
[ "$(cat "$DRAWER/Starfield_MOS.info")" = "not an icon" ] || fail "--dry-run wrote into what is no icon"

# An application's icon that is there but cannot be read, or the tool's: its
# settings were never loaded, so nothing is written (exit value 1). A drawer
# whose icons are all absent has nothing written (1); a platform icon that is
# absent is a build not shipped.
restore_drawer
for broken in Starfield Settings; do
    printf 'damaged' >"$DRAWER/$broken.info"
    expect_run 1 --save "$DRAWER" FPSLIMIT=31
    grep -q "$broken.info: is not an icon" "$E2E_DIR/err" || fail "$broken.info is not named: $(cat "$E2E_DIR/err")"
    e2e_expect_unchanged Starfield_OS3 Starfield_MOS
    restore_drawer
done
rm "$DRAWER/Starfield_MOS.info"
expect_run 0 --save "$DRAWER" WINDOW
rm "$DRAWER/Starfield.info" "$DRAWER/Starfield_OS3.info"
expect_run 1 --save "$DRAWER" WINDOW
grep -q "Starfield.info: does not exist" "$E2E_DIR/err" || fail "no icon written, not said"

# The messages in the user's language in UTF-8, with the English ones' exit
# values (a drawer without Settings.info: 2; no display for the window: 1); Qt's
# own texts of --help too.
restore_drawer
mkdir "$E2E_DIR/empty"
echo "not an icon" >"$DRAWER/Starfield_MOS.info"
while IFS='|' read -r lang status text args; do
    LANG=$lang.UTF-8 LC_ALL= LC_MESSAGES= LANGUAGE= expect_run "$status" $args
    grep -qF -- "$text" "$E2E_DIR/out" "$E2E_DIR/err" || fail "$lang $args: no $text in: $(cat "$E2E_DIR"/{out,err})"
done <<LANGS
de_DE|0|Rückgabewert:|--help
de_DE|0|Optionen:|--help
de_DE|1|Starfield_MOS.info: ist kein Piktogramm oder ist beschädigt|--save $DRAWER WINDOW
ru_RU|0|Показывает эту справку|--help
ru_RU|0|Свободное ПО по лицензии MIT|--version
ru_RU|2|в ящике нет Settings.info|--save $E2E_DIR/empty WINDOW
de_DE|1|Settings: kann die Anzeige nicht öffnen (DISPLAY ist nicht gesetzt)|
C|1|Settings: cannot open the display (nonsense cannot be opened)|-platform nonsense $DRAWER
de_DE|2|Settings.info/x: keine Schublade|--show $DRAWER/Settings.info/x
LANGS
QT_QPA_PLATFORM=nonsense expect_run 1 "$DRAWER"
grep -q "cannot open the display (nonsense cannot be opened)" "$E2E_DIR/err" || fail "an unknown Qt platform: $(cat "$E2E_DIR/err")"

# Both programs' --help in every language: no English heading, no line wider
# than 80 columns; each further line of an option or argument starts where the
# texts do.
for lang in da_DK de_DE es_ES fr_FR it_IT nl_NL nb_NO pl_PL pt_PT fi_FI sv_SE cs_CZ el_GR ru_RU; do
    for program in "$SETTINGS_BIN" "$(dirname "$SETTINGS_BIN")/SettingsViewer"; do
        LANG=$lang.UTF-8 LC_ALL= LC_MESSAGES= LANGUAGE= "$program" --help >"$E2E_DIR/out"
        ! grep -E "^(Usage|Options|Arguments):" "$E2E_DIR/out" || fail "$lang $program: English headings"
        [ "$(LC_ALL=C.UTF-8 wc -L <"$E2E_DIR/out")" -le 80 ] || fail "$lang $program: --help wider than 80 columns"
        [ "$program" != "$SETTINGS_BIN" ] || awk '/^  -h, --help/ { on = 1; match($0, /--help +/); column = RSTART + RLENGTH - 1 }
            on && !/^  [-A-Z]/ && !/^([^ ].*:)?$/ { bad = bad || !match($0, /^ +/) || RLENGTH != column } /^  WORD/ { word = 1 } word && /^$/ { on = 0 }
            END { exit bad || column == 0 }' "$E2E_DIR/out" || fail "$lang: --help's further lines do not line up"
    done
done

# The application's icon found as the icon of its script file, in a drawer given as
# an icon in it (as a desktop opens one with the tool) from elsewhere.
restore_drawer
mv "$DRAWER/Starfield.info" "$DRAWER/Starfield.vls.info"
cd "$DRAWER" && expect_run 0 --save Settings.info FULLSCREEN  # a bare name: the current folder
cd /
expect_run 0 --save "$DRAWER/Starfield.vls.info" NOSOUND WINDOW
e2e_expect_tooltypes Starfield.vls DONOTWAIT TOOLPRI=0 "(WINDOWTITLE=Starfield)" MASTERVOLUME=40 NOSOUND WINDOW
[ ! -e "$DRAWER/Starfield.info" ] || fail "Starfield.info was made"
echo "PASS"
