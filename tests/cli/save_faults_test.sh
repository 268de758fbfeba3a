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
    SETTINGS_IO_FAULT="$call:25%$round" LD_PRELOAD="$IO_FAULTS" \
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

# A drawer as made, its OS3 icon written in place (it has another hard link).
fresh() {
    rm -rf "$DRAWER" "$E2E_DIR/link"
    cp -a "$E2E_DIR/base" "$DRAWER"
    ln "$DRAWER/Starfield_OS3.info" "$E2E_DIR/link"
}
saved() {
    "$SETTINGS_BIN" --show "$DRAWER" >"$E2E_DIR/out" && grep -q "^$1$" "$E2E_DIR/out"
}
rm -rf "$E2E_DIR/base" && cp -a "$E2E_DIR/before" "$E2E_DIR/base"
fresh
words=(FULLSCREEN FPSLIMIT=50)  # every icon grows
"$SETTINGS_BIN" --save "$DRAWER" "${words[@]}" || fail "a plain save failed"
rm -rf "$E2E_DIR/new" && cp -a "$DRAWER" "$E2E_DIR/new"

fresh
root=$(cd "$DRAWER" && pwd -P)
SETTINGS_IO_LOG="$E2E_DIR/log" SETTINGS_IO_SHORT=1 LD_PRELOAD="$IO_FAULTS" "$SETTINGS_BIN" --save "$DRAWER" "${words[@]}" ||
    fail "a save with short writes failed"
for icon in Starfield Starfield_OS3 Starfield_MOS; do
    cmp -s "$DRAWER/$icon.info" "$E2E_DIR/new/$icon.info" || fail "short writes: $icon.info is not the new icon"
done
renames=$(grep -c "^rename " "$E2E_DIR/log")
[ "$renames" -ge 2 ] || fail "no icon was renamed into place"
awk -v root="$root/" '$1 == "fsync" { synced[$2] = 1; if ($2 == root || $2 == substr(root, 1, length(root) - 1)) folder = NR }
    $1 == "rename" { if ($2 !~ /^\//) $2 = root $2; if (!synced[$2]) { print "renamed unflushed: " $2; bad = 1 } last = NR }
    END { if (folder < last) { print "the drawer was not flushed after the renames"; bad = 1 } exit bad }' \
    "$E2E_DIR/log" || fail "flushes out of order: $(cat "$E2E_DIR/log")"

# ftruncate fails for the write and then for the first restores of the OS3 icon.
for case in 3:kept 4:lost; do
    fresh
    status=0
    SETTINGS_IO_FAULT="ftruncate:1+${case%%:*}" LD_PRELOAD="$IO_FAULTS" \
        "$SETTINGS_BIN" --save "$DRAWER" "${words[@]}" 2>"$E2E_DIR/err" || status=$?
    [ "$status" -eq 1 ] || fail "$case: exit value $status after a failed write"
    cmp -s "$DRAWER/Starfield_OS3.info" "$E2E_DIR/base/Starfield_OS3.info" || fail "$case: not the old icon"
    cmp -s "$DRAWER/Starfield.info" "$E2E_DIR/new/Starfield.info" || fail "$case: the other icons were not written"
    if [ "${case#*:}" = kept ]; then
        [ "$DRAWER/Starfield_OS3.info" -ef "$E2E_DIR/link" ] || fail "$case: the hard link was broken"
        grep -q "Starfield_OS3.info: could not be written" "$E2E_DIR/err" || fail "$case: $(cat "$E2E_DIR/err")"
    else
        grep -q "Starfield_OS3.info: not written; its old contents were put back as a new file" "$E2E_DIR/err" ||
            fail "$case: $(cat "$E2E_DIR/err")"
    fi
done

# Nor can it be put back as a new file: damaged, and put back by the next save.
fresh
SETTINGS_IO_FAULT="ftruncate:1+9,rename:1+9" LD_PRELOAD="$IO_FAULTS" \
    "$SETTINGS_BIN" --save "$DRAWER" "${words[@]}" 2>"$E2E_DIR/err" && fail "a damaged icon was reported written"
grep -q "Starfield_OS3.info: damaged" "$E2E_DIR/err" && grep -q "backup-.*: the next save puts it back into" "$E2E_DIR/err" ||
    fail "the damage was not told: $(cat "$E2E_DIR/err")"
cmp -s "$DRAWER/Starfield_OS3.info" "$E2E_DIR/base/Starfield_OS3.info" && fail "the icon was not torn"
ls -A "$DRAWER" >"$E2E_DIR/files"
md5sum "$DRAWER"/* >"$E2E_DIR/sums"
"$SETTINGS_BIN" --save "$DRAWER" "${words[@]}" --dry-run >/dev/null 2>"$E2E_DIR/err" || fail "the dry run failed"
grep -q "backup-.*: the next save puts it back into .*Starfield_OS3.info" "$E2E_DIR/err" || fail "dry run: $(cat "$E2E_DIR/err")"
ls -A "$DRAWER" | cmp -s - "$E2E_DIR/files" && md5sum "$DRAWER"/* | cmp -s - "$E2E_DIR/sums" || fail "the dry run wrote"
"$SETTINGS_BIN" --save "$DRAWER" "${words[@]}" 2>"$E2E_DIR/err" || fail "the save after the damage failed: $(cat "$E2E_DIR/err")"
cmp -s "$DRAWER/Starfield_OS3.info" "$E2E_DIR/new/Starfield_OS3.info" && [ "$(ls -A "$DRAWER" | wc -l)" -eq 4 ] ||
    fail "the damaged icon was not put back"

# Where flock fails, saves at once still keep each other's changes; where no lock
# can be had either, a save goes on and says so.
for round in 1 2 3 4 5; do
    fresh
    SETTINGS_IO_FAULT="flock:1+99" LD_PRELOAD="$IO_FAULTS" "$SETTINGS_BIN" --save "$DRAWER" FPSLIMIT=7 2>"$E2E_DIR/err" &
    first=$!
    SETTINGS_IO_FAULT="flock:1+99" LD_PRELOAD="$IO_FAULTS" "$SETTINGS_BIN" --save "$DRAWER" MASTERVOLUME=3 &
    wait "$first" && wait $! || fail "round $round: a save without flock failed"
    saved "fpsLimit=7" && saved "masterVolume=3" || fail "round $round: a change was lost without flock"
    [ ! -s "$E2E_DIR/err" ] && [ "$(ls -A "$DRAWER" | wc -l)" -eq 4 ] || fail "round $round: $(ls -A "$DRAWER")"
done
SETTINGS_IO_FAULT="flock:1+99,fcntl:1+99" LD_PRELOAD="$IO_FAULTS" "$SETTINGS_BIN" --save "$DRAWER" WINDOW 2>"$E2E_DIR/err" ||
    fail "a save without any lock failed"
grep -q "no lock could be had on this folder" "$E2E_DIR/err" || fail "no word of the missing lock"
echo "PASS"
