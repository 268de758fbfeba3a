#!/usr/bin/env bash
# --save under injected I/O faults (open, read, write, fsync, ftruncate, rename),
# an icon written in place among them (it has another hard link): exit value 0
# only when every icon holds the new settings, every icon the old or the new one,
# nothing written when the settings could not be read, the link kept and nothing
# left beside the icons. New files are flushed before their renames and the drawer
# after them; short writes are resumed where they stopped. An in-place write whose
# restores fail is put back by its third try, else as a new file, else named damaged
# and put back by the next save, which a dry run announces without writing. Saves
# at once keep both changes where flock fails, whatever stands under .settings-lock,
# and through two drawers that share icons by hard links; without any lock a save
# says so. A lock another user holds is said and given up after 30 seconds.
source "$(dirname "$0")/../e2e/lib.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
: "${IO_FAULTS:?IO_FAULTS must name the fault library}"
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0
OTHER=()  # another user, where the test may become one
[ "$(id -u)" != 0 ] || OTHER=(setpriv --reuid=nobody --regid=nogroup --clear-groups)

e2e_make_drawer
chmod 0755 "$E2E_DIR"
# Beside the other cases: a drawer whose lock another user holds.
held="$E2E_DIR/café" && mkdir -m 0777 "$held" && cp "$E2E_DIR"/before/*.info "$held"/
"${OTHER[@]}" /usr/bin/python3 -c 'import fcntl, os, sys, time
fcntl.flock(os.open(sys.argv[1], os.O_RDONLY), fcntl.LOCK_EX)
time.sleep(600)' "$held" &
holder=$!
trap 'kill "$holder" 2>/dev/null || true; e2e_cleanup' EXIT
sleep 0.5
(start=$SECONDS status=0 && "$SETTINGS_BIN" --save "$held" FPSLIMIT=3 2>"$E2E_DIR/held.err" || status=$?
    echo "$status $((SECONDS - start))" >"$E2E_DIR/held") &
waiting=$!
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

# A drawer as made, its OS3 icon written in place (it has another hard link).
fresh() {
    rm -rf "$DRAWER" "$E2E_DIR/link" && cp -a "$E2E_DIR/before" "$DRAWER" && ln "$DRAWER/Starfield_OS3.info" "$E2E_DIR/link"
}
faulty() { SETTINGS_IO_FAULT="$1" LD_PRELOAD="$IO_FAULTS" "$SETTINGS_BIN" --save "$DRAWER" "${@:2}" 2>"$E2E_DIR/err"; }
words=(FULLSCREEN FPSLIMIT=50)  # every icon grows
fresh && "$SETTINGS_BIN" --save "$DRAWER" "${words[@]}" || fail "a plain save failed"
rm -rf "$E2E_DIR/new" && cp -a "$DRAWER" "$E2E_DIR/new"
fresh && root=$(cd "$DRAWER" && pwd -P)
SETTINGS_IO_LOG="$E2E_DIR/log" SETTINGS_IO_SHORT=1 faulty "" "${words[@]}" && diff -r "$DRAWER" "$E2E_DIR/new" ||
    fail "short writes did not give the new icons"
awk -v root="$root" '$1 == "fsync" { synced[$2] = 1; if ($2 == root) folder = NR }
    $1 == "rename" { bad = bad || !synced[root "/" $2]; last = NR } END { exit bad || !last || folder < last }' "$E2E_DIR/log" ||
    fail "new files renamed before they were flushed, or the drawer not flushed after: $(cat "$E2E_DIR/log")"

# ftruncate fails for the OS3 icon's write, its restores, then its new file's rename.
for case in "3 could not be written" "4 not written; its old contents were put back as a new file" "9 damaged"; do
    renames=$([ "${case%% *}" = 9 ] && echo 99 || echo 0)
    fresh && faulty "ftruncate:1+${case%% *},rename:1+$renames" "${words[@]}" && fail "$case: exit value 0"
    grep -q "Starfield_OS3.info: ${case#* }" "$E2E_DIR/err" || fail "$case: $(cat "$E2E_DIR/err")"
    [ "${case%% *}" = 9 ] || cmp -s "$DRAWER/Starfield_OS3.info" "$E2E_DIR/before/Starfield_OS3.info" || fail "$case: not the old icon"
    [ "${case%% *}" != 3 ] || [ "$DRAWER/Starfield_OS3.info" -ef "$E2E_DIR/link" ] || fail "the hard link was broken"
done
# Damaged: a dry run says the next save puts it back, and writes nothing; the save does.
grep -q "backup-.*: the next save puts it back into" "$E2E_DIR/err" || fail "the damage's backup was not named"
rm -rf "$E2E_DIR/old" && cp -a "$DRAWER" "$E2E_DIR/old"
"$SETTINGS_BIN" --save "$DRAWER" "${words[@]}" --dry-run >/dev/null 2>"$E2E_DIR/err" && diff -r "$DRAWER" "$E2E_DIR/old" &&
    grep -q "backup-.*: the next save puts it back into .*Starfield_OS3.info" "$E2E_DIR/err" || fail "dry run: $(cat "$E2E_DIR/err")"
"$SETTINGS_BIN" --save "$DRAWER" "${words[@]}" && diff -r "$DRAWER" "$E2E_DIR/new" || fail "the damaged icon was not put back"

# Both changes of saves at once (each writer saving twice, so that one starts
# while the other waits), and nothing left beside the icons.
both_kept() {
    "$SETTINGS_BIN" --show "$DRAWER" >"$E2E_DIR/out" && grep -q "^fpsLimit=$1$" "$E2E_DIR/out" &&
        grep -q "^masterVolume=$1$" "$E2E_DIR/out" && [ "$(ls -A "$DRAWER" | wc -l)" -eq 4 ]
}
unlocked() { "${OTHER[@]}" env SETTINGS_IO_FAULT=flock:1+99 LD_PRELOAD="$IO_FAULTS" "$SETTINGS_BIN" --save "$@"; }
# Where flock fails, whatever stands under .settings-lock: a link, a folder, a file of
# another user that the savers may not write, one of theirs a killed save left.
for plant in "ln -s gone" "mkdir" "touch" "${OTHER[*]} touch"; do
    for round in 1 2 3; do
        fresh && chmod 0777 "$DRAWER" && chmod 0666 "$DRAWER"/*.info && $plant "$DRAWER/.settings-lock"
        (unlocked "$DRAWER" FPSLIMIT=9 && unlocked "$DRAWER" FPSLIMIT=$round) &
        unlocked "$DRAWER" MASTERVOLUME=9 && unlocked "$DRAWER" MASTERVOLUME=$round ||
            fail "$plant, round $round: a save failed"
        wait $! && both_kept "$round" || fail "$plant, round $round: a change lost: $(ls -A "$DRAWER")"
    done
done
# A holder that removes .settings-lock while a save (its lock calls slowed) has it
# open, then holds a new one: the lock the save then has on the removed file is
# none, and it waits for the new holder.
fresh
(cd "$DRAWER" && exec /usr/bin/python3 -c 'import fcntl, filecmp, glob, os, struct, sys, time
lock = struct.pack("hhqqi4x", fcntl.F_WRLCK, 0, 0, 0, 0)
def held():
    fd = os.open(".settings-lock", os.O_RDWR | os.O_CREAT | os.O_EXCL)
    fcntl.fcntl(fd, fcntl.F_OFD_SETLK, lock)
    return fd
def opened(me):
    for fd in glob.glob("/proc/[0-9]*/fd/*"):
        try:
            if not fd.startswith("/proc/%d/" % os.getpid()) and os.readlink(fd) == me: return True
        except OSError: pass
old = held()
while not opened(os.path.realpath(".settings-lock")): time.sleep(0.01)
os.unlink(".settings-lock"); new = held(); os.close(old); time.sleep(1.5)
sys.exit(not filecmp.cmp("Starfield.info", sys.argv[1], shallow=False))' "$E2E_DIR/before/Starfield.info") &
holder2=$!
until [ -e "$DRAWER/.settings-lock" ]; do sleep 0.05; done
SETTINGS_IO_SLOW_LOCK=300 faulty flock:1+99 FPSLIMIT=4 || fail "a save after a removed lock file failed"
wait $holder2 || fail "a lock on a removed .settings-lock was taken as held"
# Two drawers that share their icons by hard links, saved at once through each.
fresh && mkdir "$E2E_DIR/twin" && cp "$DRAWER/Settings.info" "$E2E_DIR/twin/"
for icon in Starfield Starfield_OS3 Starfield_MOS; do ln "$DRAWER/$icon.info" "$E2E_DIR/twin/$icon.info"; done
for round in $(seq 8); do
    "$SETTINGS_BIN" --save "$DRAWER" FPSLIMIT=$round &
    "$SETTINGS_BIN" --save "$E2E_DIR/twin" MASTERVOLUME=$round || fail "twins, round $round: a save failed"
    wait $! && both_kept "$round" || fail "twins, round $round: a change lost"
done
# Without any lock a save goes on and says so; a leftover whose id names no process
# (2^32 + 1) is a dead writer's.
touch "$DRAWER/.Starfield.info.settings-4294967297-abcdef"
faulty flock:1+99,fcntl:1+99 WINDOW && grep -q "no lock could be had on this folder" "$E2E_DIR/err" || fail "no word of no lock"
[ ! -e "$DRAWER/.Starfield.info.settings-4294967297-abcdef" ] || fail "a dead writer's leftover was left"

wait "$waiting" && read -r status seconds <"$E2E_DIR/held" && kill "$holder"
[ "$status" = 1 ] && [ "$seconds" -ge 29 ] && [ "$seconds" -le 40 ] || fail "held lock: exit value $status after $seconds s"
grep -qF "$held: another program holds the lock of this folder; waiting for it" "$E2E_DIR/held.err" &&
    grep -q "nothing was written" "$E2E_DIR/held.err" && ! grep -q FPSLIMIT=3 "$held"/*.info || fail "held lock: $(cat "$E2E_DIR/held.err")"
echo "PASS"
