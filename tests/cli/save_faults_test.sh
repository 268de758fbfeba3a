#!/usr/bin/env bash
# --save under injected I/O faults (open, read, write, fsync, ftruncate, rename),
# an icon written in place among them (it has another hard link): exit value 0
# only when every icon holds the new settings, every icon the old or the new one,
# nothing written when the settings could not be read, the link kept and nothing
# left beside the icons. Two saves waiting for the drawer each keep their change.
source "$(dirname "$0")/../e2e/lib.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
: "${IO_FAULTS:?IO_FAULTS must name the fault library}"
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0

e2e_make_drawer
ln "$DRAWER/Starfield_OS3.info" "$E2E_DIR/Starfield_OS3.link"
icons=(Settings Starfield Starfield_OS3 Starfield_MOS)
calls=(open read write fsync ftruncate rename)
for round in $(seq 0 47); do
    call=${calls[round % ${#calls[@]}]}
    words=("FPSLIMIT=$((round % 50 + 1))")
    [ $((round % 4)) -lt 2 ] || words=(NOFPSLIMIT)  # icons that shrink are torn by a partial write
    rm -rf "$E2E_DIR/old" "$E2E_DIR/new"
    cp -a "$DRAWER" "$E2E_DIR/old"
    cp -a "$DRAWER" "$E2E_DIR/new"
    "$SETTINGS_BIN" --save "$E2E_DIR/new" "${words[@]}" 2>/dev/null || fail "round $round: a save without faults failed"
    status=0
    SETTINGS_IO_FAULT="$call:25:$round" LD_PRELOAD="$IO_FAULTS" \
        "$SETTINGS_BIN" --save "$DRAWER" "${words[@]}" >/dev/null 2>"$E2E_DIR/err" || status=$?
    for icon in "${icons[@]}"; do
        if ! cmp -s "$DRAWER/$icon.info" "$E2E_DIR/old/$icon.info"; then
            cmp -s "$DRAWER/$icon.info" "$E2E_DIR/new/$icon.info" || fail "$call, round $round: $icon.info is neither old nor new"
            ! grep -q "nothing was written" "$E2E_DIR/err" || fail "$call, round $round: $icon.info written though nothing was to be"
        elif ! cmp -s "$DRAWER/$icon.info" "$E2E_DIR/new/$icon.info"; then
            [ "$status" -ne 0 ] || fail "$call, round $round: exit value 0, but $icon.info holds the old settings"
        fi
    done
done
"$SETTINGS_BIN" --save "$DRAWER" WINDOW || fail "the save after the faults failed"
[ "$(ls -A "$DRAWER" | tr '\n' ' ')" = "Settings.info Starfield.info Starfield_MOS.info Starfield_OS3.info " ] ||
    fail "left beside the icons: $(ls -A "$DRAWER")"
[ "$DRAWER/Starfield_OS3.info" -ef "$E2E_DIR/Starfield_OS3.link" ] || fail "the hard link was broken"

# Both saves read the settings only once the drawer is theirs.
exec 9<"$DRAWER"
flock -x 9
"$SETTINGS_BIN" --save "$DRAWER" FPSLIMIT=7 9<&- &
first=$!
"$SETTINGS_BIN" --save "$DRAWER" MASTERVOLUME=3 9<&- &
second=$!
sleep 0.5
exec 9<&-
wait "$first" && wait "$second" || fail "a save waiting for the drawer failed"
"$SETTINGS_BIN" --show "$DRAWER" >"$E2E_DIR/out"
grep -q "^fpsLimit=7$" "$E2E_DIR/out" && grep -q "^masterVolume=3$" "$E2E_DIR/out" || fail "a change was lost"
echo "PASS"
